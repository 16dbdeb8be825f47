// Shows host-surface pixels on X. With MIT-SHM the host surface itself lives
// in a shared segment (x11_surface), so a present only asks the server to
// read the damaged rectangles from it, and the core waits for the server's
// completion before it writes there again (x11_await_surface); otherwise
// XPutImage sends them from the core's buffer. Relies on Xlib, XShm, SysV shm.
#include "backends/x11/x11_internal.h"

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace standin {

namespace {

constexpr int kImageByteOrder = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? LSBFirst : MSBFirst;
// A completion that never comes (the put failed) must not hang the program.
constexpr int64_t kCompletionTimeoutNs = 1'000'000'000;

// Segments already handed out hold the core's surfaces: they stay. New
// surfaces are the core's own memory, presented with XPutImage.
void give_up_shm(X11State &st, const char *why) {
    std::fprintf(stderr, "x11: MIT-SHM not usable (%s); presenting with XPutImage\n", why);
    st.use_shm = false;
}

// Makes host.shm_image a width x height segment attached to the server.
bool ensure_segment(X11State &st, X11Host &host, int width, int height) {
    if (host.shm_image != nullptr && host.shm_image->width == width && host.shm_image->height == height) return true;
    x11_release_shm(host);
    XImage *img = XShmCreateImage(st.display, st.visual, static_cast<unsigned>(st.depth), ZPixmap, nullptr,
                                  &host.shm, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (img == nullptr) {
        give_up_shm(st, "XShmCreateImage failed");
        return false;
    }
    if (img->bits_per_pixel != 32) {
        XDestroyImage(img);
        give_up_shm(st, "the server does not store 24-bit pixels in 32 bits");
        return false;
    }
    size_t size = static_cast<size_t>(img->bytes_per_line) * static_cast<size_t>(height);
    int shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (shmid < 0) {
        XDestroyImage(img);
        give_up_shm(st, std::strerror(errno));
        return false;
    }
    void *addr = shmat(shmid, nullptr, 0);
    if (addr == reinterpret_cast<void *>(-1)) {
        shmctl(shmid, IPC_RMID, nullptr);
        XDestroyImage(img);
        give_up_shm(st, std::strerror(errno));
        return false;
    }
    host.shm.shmid = shmid;
    host.shm.shmaddr = img->data = static_cast<char *>(addr);
    host.shm.readOnly = False;
    x11_trap_errors();
    Status attached = XShmAttach(st.display, &host.shm);
    int error = x11_untrap_errors();
    // Marked for removal now: the kernel frees it when both sides detach,
    // even if this process dies without cleaning up.
    shmctl(shmid, IPC_RMID, nullptr);
    if (!attached || error != 0) {
        shmdt(addr);
        img->data = nullptr;
        XDestroyImage(img);
        host.shm = XShmSegmentInfo{};
        give_up_shm(st, "the server refused to attach the segment");
        return false;
    }
    host.shm_image = img;
    return true;
}

Bool is_completion_of(Display *, XEvent *event, XPointer arg) {
    auto *host = reinterpret_cast<X11Host *>(arg);
    if (event->type != x11().shm_completion_type) return False;
    auto *done = reinterpret_cast<XShmCompletionEvent *>(event);
    return done->drawable == host->window && done->shmseg == host->shm.shmseg;
}

// Takes only this segment's ShmCompletion out of the queue; every other event
// stays queued, in order, for the next wait().
void wait_for_completion(X11State &st, X11Host &host) {
    const int64_t give_up = x11_now_ns() + kCompletionTimeoutNs;
    XEvent event;
    while (host.shm_busy) {
        if (XCheckIfEvent(st.display, &event, is_completion_of, reinterpret_cast<XPointer>(&host))) break;
        int64_t left = give_up - x11_now_ns();
        if (left <= 0) {
            // After a round trip the server has finished every earlier request.
            XSync(st.display, False);
            break;
        }
        pollfd pfd{ConnectionNumber(st.display), POLLIN, 0};
        poll(&pfd, 1, static_cast<int>(left / 1'000'000) + 1);
    }
    host.shm_busy = false;
}

// Clips a rectangle to the surface in 64 bits (x + w may exceed int); false when nothing is left.
bool clip_rect(const HostRect &r, int width, int height, int *l, int *t, int *rr, int *b) {
    *l = static_cast<int>(std::max<int64_t>(r.x, 0));
    *t = static_cast<int>(std::max<int64_t>(r.y, 0));
    *rr = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(r.x) + r.w, width));
    *b = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(r.y) + r.h, height));
    return *l < *rr && *t < *b;
}

// The server reads the rectangles straight from the segment; only the last
// put asks for a completion, which comes after the earlier ones are done.
void present_shm(X11State &st, X11Host &host, int width, int height, const HostRect *rects, int count) {
    wait_for_completion(st, host);
    int last = -1;
    for (int i = 0; i < count; ++i) {
        int l, t, r, b;
        if (clip_rect(rects[i], width, height, &l, &t, &r, &b)) last = i;
    }
    for (int i = 0; i <= last; ++i) {
        int l, t, r, b;
        if (!clip_rect(rects[i], width, height, &l, &t, &r, &b)) continue;
        XShmPutImage(st.display, host.window, host.gc, host.shm_image, l, t, l, t, static_cast<unsigned>(r - l),
                     static_cast<unsigned>(b - t), i == last ? True : False);
    }
    if (last < 0) return;
    host.shm_busy = true;  // until then the core waits before it writes (x11_await_surface)
    XFlush(st.display);
}

// XPutImage copies the pixels into the request before it returns, so the
// core's own buffer can be described as the image.
void present_put(X11State &st, X11Host &host, const uint32_t *pixels, int width, int height, ptrdiff_t stride,
                 const HostRect *rects, int count) {
    XImage img{};
    img.width = width;
    img.height = height;
    img.format = ZPixmap;
    img.data = const_cast<char *>(reinterpret_cast<const char *>(pixels));
    img.byte_order = kImageByteOrder;
    img.bitmap_unit = 32;
    img.bitmap_bit_order = kImageByteOrder;
    img.bitmap_pad = 32;
    img.depth = st.depth;
    img.bytes_per_line = static_cast<int>(stride * 4);
    img.bits_per_pixel = 32;
    img.red_mask = 0xFF0000;
    img.green_mask = 0xFF00;
    img.blue_mask = 0xFF;
    if (!XInitImage(&img)) return;
    for (int i = 0; i < count; ++i) {
        int l, t, r, b;
        if (!clip_rect(rects[i], width, height, &l, &t, &r, &b)) continue;
        XPutImage(st.display, host.window, host.gc, &img, l, t, l, t, static_cast<unsigned>(r - l),
                  static_cast<unsigned>(b - t));
    }
    XFlush(st.display);
}

}  // namespace

void x11_release_shm(X11Host &host) {
    if (host.shm_image == nullptr) return;
    X11State &st = x11();
    // The server keeps its own attachment until it has processed the detach,
    // which comes after any put still queued: our mapping can go at once.
    XShmDetach(st.display, &host.shm);
    shmdt(host.shm.shmaddr);
    host.shm_image->data = nullptr;
    XDestroyImage(host.shm_image);
    host.shm_image = nullptr;
    host.shm = XShmSegmentInfo{};
    host.shm_busy = false;
}

uint32_t *x11_surface(HostId id, int width, int height) {
    X11State &st = x11();
    X11Host *host = x11_host(id);
    if (host == nullptr || !st.use_shm || width <= 0 || height <= 0 || width > 32767 || height > 32767) return nullptr;
    // The server may still be reading the segment that is about to go.
    wait_for_completion(st, *host);
    if (!ensure_segment(st, *host, width, height)) return nullptr;
    if (host->shm_image->bytes_per_line != width * 4) {
        // Rows with padding do not fit the core's surface layout.
        x11_release_shm(*host);
        return nullptr;
    }
    return reinterpret_cast<uint32_t *>(host->shm_image->data);
}

void x11_await_surface(HostId id) {
    X11Host *host = x11_host(id);
    if (host != nullptr && host->shm_busy) wait_for_completion(x11(), *host);
}

void x11_present(HostId id, const uint32_t *pixels, int width, int height, ptrdiff_t stride, const HostRect *rects,
                 int count) {
    X11State &st = x11();
    X11Host *host = x11_host(id);
    if (host == nullptr) {
        std::fprintf(stderr, "x11: present on unknown host %lu ignored\n", static_cast<unsigned long>(id));
        return;
    }
    if (pixels == nullptr || (rects == nullptr && count > 0)) {
        std::fprintf(stderr, "x11: present without pixels or rectangles ignored\n");
        return;
    }
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || stride < width || stride > INT_MAX / 4) {
        std::fprintf(stderr, "x11: present of an invalid surface (%d x %d, stride %td) ignored\n", width, height,
                     stride);
        return;
    }
    if (count <= 0) return;
    const XImage *img = host->shm_image;
    if (img != nullptr && pixels == reinterpret_cast<const uint32_t *>(img->data) && img->width == width &&
        img->height == height && stride == width) {
        present_shm(st, *host, width, height, rects, count);
    } else {
        // The core's own memory, or a picture composed apart from the surface (an open menu).
        present_put(st, *host, pixels, width, height, stride, rects, count);
    }
}

}  // namespace standin
