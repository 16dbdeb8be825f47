// Shared by the windowing tests: a window procedure that records every
// message it receives (compared against expected tables by message name),
// per-test message handlers, and a fixture that selects the headless backend,
// installs USER's and the automation's hooks, and resets the windowing state
// around each test.
#pragma once

#include <gtest/gtest.h>
#include <automation.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace user_test {

struct Record {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Optional behaviour for a message; no value falls through to DefWindowProcA.
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

std::vector<Record> &log();
void set_handler(Handler handler);
LRESULT CALLBACK recording_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// "WM_CREATE", ... (hex for messages without a name here).
std::string msg_name(UINT msg);
// Names of the recorded messages (of one window, or all), optionally only
// those in `only`.
std::vector<std::string> names(HWND hwnd = nullptr, const std::vector<UINT> &only = {});
std::vector<Record> records(HWND hwnd, UINT msg);

// Class "Rec" (recording_proc, white background, no class style) and
// "RecRedraw" (CS_HREDRAW | CS_VREDRAW) and "RecBare" (no brush) are
// registered by the fixture.
class UserTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND top(const char *cls = "Rec", DWORD style = WS_CAPTION | WS_SYSMENU, int w = 601, int h = 540,
             HWND owner = nullptr);
    HWND child(HWND parent, int x, int y, int w, int h, DWORD style = WS_CHILD | WS_VISIBLE, int id = 0);
    // GetMessageA, then TranslateMessage and DispatchMessageA; returns GetMessageA's result.
    BOOL pump(MSG *msg);
    // Runs GetMessageA/Dispatch until the queue would block, returning the
    // messages GetMessageA returned (the idle hook ends the run).
    std::vector<MSG> drain();
};

}  // namespace user_test
