// The recording window procedure and the fixture of the windowing tests.
#include "window_recorder.h"

#include "user/window.h"
#include "user/window_hooks.h"

#include <cstdio>
#include <map>

namespace user_test {

namespace {

Handler g_handler;

// Messages so frequent or so internal that tables would only be noise.
bool ignored(UINT msg) { return msg == WM_GETTEXT || msg == WM_GETTEXTLENGTH; }

}  // namespace

std::vector<Record> &log() {
    static std::vector<Record> l;
    return l;
}

void set_handler(Handler handler) { g_handler = std::move(handler); }

LRESULT CALLBACK recording_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!ignored(msg)) log().push_back(Record{hwnd, msg, wParam, lParam});
    if (g_handler) {
        // A copy: the handler may replace itself.
        Handler h = g_handler;
        if (std::optional<LRESULT> r = h(hwnd, msg, wParam, lParam)) return *r;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::string msg_name(UINT msg) {
    static const std::map<UINT, const char *> names = {
        {WM_CREATE, "WM_CREATE"},       {WM_DESTROY, "WM_DESTROY"},       {WM_SIZE, "WM_SIZE"},
        {WM_ACTIVATE, "WM_ACTIVATE"},   {WM_SETFOCUS, "WM_SETFOCUS"},     {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_ENABLE, "WM_ENABLE"},       {WM_SETTEXT, "WM_SETTEXT"},       {WM_PAINT, "WM_PAINT"},
        {WM_CLOSE, "WM_CLOSE"},         {WM_QUIT, "WM_QUIT"},             {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_NCCREATE, "WM_NCCREATE"},   {WM_NCDESTROY, "WM_NCDESTROY"},
        {WM_KEYDOWN, "WM_KEYDOWN"},     {WM_KEYUP, "WM_KEYUP"},           {WM_CHAR, "WM_CHAR"},
        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSKEYUP, "WM_SYSKEYUP"},   {WM_SYSCHAR, "WM_SYSCHAR"},
        {WM_COMMAND, "WM_COMMAND"},     {WM_TIMER, "WM_TIMER"},           {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"}, {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"},
        {WM_USER, "WM_USER"},           {WM_USER + 1, "WM_USER+1"},       {WM_USER + 2, "WM_USER+2"},
    };
    auto it = names.find(msg);
    if (it != names.end()) return it->second;
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X", msg);
    return buf;
}

std::vector<std::string> names(HWND hwnd, const std::vector<UINT> &only) {
    std::vector<std::string> out;
    for (const Record &r : log()) {
        if (hwnd && r.hwnd != hwnd) continue;
        if (!only.empty() && std::find(only.begin(), only.end(), r.msg) == only.end()) continue;
        out.push_back(msg_name(r.msg));
    }
    return out;
}

std::vector<Record> records(HWND hwnd, UINT msg) {
    std::vector<Record> out;
    for (const Record &r : log())
        if ((!hwnd || r.hwnd == hwnd) && r.msg == msg) out.push_back(r);
    return out;
}

void UserTest::SetUp() {
    ASSERT_TRUE(standin::use_headless_backend());
    // The start-up's records of the layers these tests link, with no menu code.
    standin::install_user_hooks();
    standin::install_automation_hooks();
    standin::reset_state();
    standin::set_menu_hooks({});
    g_handler = nullptr;
    log().clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = recording_proc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "Rec";
    ASSERT_NE(RegisterClassA(&wc), 0);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpszClassName = "RecRedraw";
    ASSERT_NE(RegisterClassA(&wc), 0);
    wc.style = 0;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = "RecBare";
    ASSERT_NE(RegisterClassA(&wc), 0);
}

void UserTest::TearDown() {
    g_handler = nullptr;
    standin::reset_state();
    standin::set_menu_hooks({});
    log().clear();
}

HWND UserTest::top(const char *cls, DWORD style, int w, int h, HWND owner) {
    return CreateWindowExA(0, cls, "test", style, 0, 0, w, h, owner, nullptr, nullptr, nullptr);
}

HWND UserTest::child(HWND parent, int x, int y, int w, int h, DWORD style, int id) {
    return CreateWindowExA(0, "Rec", "", style, x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                           nullptr, nullptr);
}

BOOL UserTest::pump(MSG *msg) {
    const BOOL r = GetMessageA(msg, nullptr, 0, 0);
    if (r > 0) {
        TranslateMessage(msg);
        DispatchMessageA(msg);
    }
    return r;
}

std::vector<MSG> UserTest::drain() {
    // The idle hook ends the run with a quit message that is not reported.
    standin::headless_set_idle_hook([] {
        PostQuitMessage(0x5EED);
        return true;
    });
    std::vector<MSG> got;
    MSG m;
    for (int i = 0; i < 1000; ++i) {
        const BOOL r = pump(&m);
        if (r == 0 && m.wParam == 0x5EED) break;
        got.push_back(m);
        if (r <= 0) break;
    }
    standin::headless_set_idle_hook(nullptr);
    return got;
}

}  // namespace user_test
