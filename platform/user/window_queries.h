// What USER tells the automation about its windows, beyond Win32: which host
// shows a window, where a client point lands on that host's surface, the
// surface's pixels, and a reset of all USER state between tests.
#pragma once

#include <windows.h>

#include "backends/backend.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin {

// Top-level windows, oldest first.
const std::vector<HWND> &top_level_windows();

// The host of a top-level window; 0 for a child, a window that is gone, or
// one without a host.
HostId top_level_host(HWND window);

// Where client point (x, y) of `window` (top-level or child) lands on its
// top-level window's host surface, saturated to int32, and that host (0 when
// it has none). False for a window that is gone.
bool client_point_on_host(HWND window, int x, int y, HostId *host, int *host_x, int *host_y);

// A top-level window's host surface, 0x00RRGGBB; `stride` pixels per row.
struct SurfaceView {
    const uint32_t *pixels = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;
};
// False for a child, a window that is gone, or one with no surface yet.
bool top_level_surface(HWND window, SurfaceView *view);

// Where a window's client area shows on its top-level window's surface: the
// client origin in surface pixels, and the part that shows in client
// coordinates ([left, right) x [top, bottom), cut by every ancestor).
struct ClientOnSurface {
    SurfaceView surface;
    int64_t origin_x = 0, origin_y = 0;
    int64_t left = 0, top = 0, right = 0, bottom = 0;
};
// False when the window is gone or hidden, or its top-level window has no
// surface.
bool client_on_surface(HWND window, ClientOnSurface *out);

// Destroys every window, unregisters every class, kills every timer and
// clears the queue, the quit flag, focus, keyboard and mouse state.
void reset_user_state();

}  // namespace standin
