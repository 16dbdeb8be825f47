// Driving a real application under Xvfb: fork/exec, xdotool for input, Xlib
// for pixels, window lookup and the close request.
#include "app_driver.h"

#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace e2e {

double now_ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string make_temp_dir() {
    std::error_code ec;
    std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
    if (ec) tmp = "/tmp";
    std::string pattern = (tmp / "telka-e2e.XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

AppDriver::AppDriver(const std::string &binary, const std::string &workdir, const Environment &env) {
    display_ = XOpenDisplay(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(workdir.c_str()) != 0) _exit(126);
        setenv("STANDIN_BACKEND", "x11", 1);
        for (const auto &[name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        execl(binary.c_str(), binary.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
}

AppDriver::~AppDriver() {
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (display_) XCloseDisplay(display_);
}

static bool title_of(Display *d, Window w, std::string *title) {
    char *name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        *title = name;
        XFree(name);
        return true;
    }
    return false;
}

unsigned long AppDriver::find_window(const std::string &title, int timeout_ms) {
    if (!display_) return 0;
    unsigned long found = 0;
    eventually(
        [&] {
            Window root = DefaultRootWindow(display_), parent, *children = nullptr;
            unsigned n = 0;
            if (!XQueryTree(display_, root, &root, &parent, &children, &n)) return false;
            for (unsigned i = 0; i < n && !found; ++i) {
                std::string t;
                XWindowAttributes attrs;
                if (title_of(display_, children[i], &t) && t == title &&
                    XGetWindowAttributes(display_, children[i], &attrs) && attrs.map_state == IsViewable)
                    found = children[i];
            }
            if (children) XFree(children);
            return found != 0;
        },
        timeout_ms);
    return found;
}

bool AppDriver::geometry(unsigned long window, int *x, int *y, int *w, int *h) {
    XWindowAttributes attrs;
    if (!display_ || !XGetWindowAttributes(display_, window, &attrs)) return false;
    Window child;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, x, y, &child);
    *w = attrs.width;
    *h = attrs.height;
    return true;
}

void AppDriver::keys(const std::string &names) {
    const std::string command = "xdotool key --delay 30 " + names + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

void AppDriver::click(int screen_x, int screen_y) {
    const std::string command = "xdotool mousemove " + std::to_string(screen_x) + " " + std::to_string(screen_y) +
                                " sleep 0.05 click 1 >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

void AppDriver::close_window(unsigned long window) {
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &e);
    XFlush(display_);
}

uint32_t AppDriver::pixel(int screen_x, int screen_y) {
    XImage *image = XGetImage(display_, DefaultRootWindow(display_), screen_x, screen_y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFFu;
    const uint32_t p = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0x00FFFFFFu;
    XDestroyImage(image);
    return p;
}

std::vector<uint32_t> AppDriver::pixels(int screen_x, int screen_y, int width, int height) {
    std::vector<uint32_t> out;
    if (!display_ || width <= 0 || height <= 0) return out;
    XImage *image = XGetImage(display_, DefaultRootWindow(display_), screen_x, screen_y, unsigned(width),
                              unsigned(height), AllPlanes, ZPixmap);
    if (!image) return out;
    out.reserve(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) out.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0x00FFFFFFu);
    XDestroyImage(image);
    return out;
}

bool AppDriver::running() {
    if (pid_ <= 0) return false;
    return waitpid(pid_, nullptr, WNOHANG) == 0 && kill(pid_, 0) == 0;
}

int AppDriver::wait_exit(int timeout_ms) {
    const double end = now_ms() + timeout_ms;
    int status = 0;
    while (now_ms() < end) {
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        sleep_ms(20);
    }
    return -1;
}

void AppDriver::screenshot(const std::string &path) {
    const std::string command = "import -window root " + path + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "screenshot failed: " << command;
}

}  // namespace e2e
