// The x11 backend's figures on a real display, printed, never asserted:
// how late a wait returns after its deadline and the CPU it burns meanwhile,
// how soon input ends a wait, the CPU of a wait with no deadline until input
// comes, and the time of a full 601 x 540 present, paced (after the server is
// idle, as the game's ticks give it) and back to back, through MIT-SHM and
// XPutImage. Drives the backend directly; run it under a display:
//   tests/with-xvfb build/bin/x11_driver_bench [ROUNDS]
#include "backends/x11/x11_internal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

int g_inputs = 0;  // everything the backend handed over
int g_closes = 0;  // of which close requests

double now_ms() { return double(standin::kX11Driver.now_ns()) / 1e6; }

double cpu_ms() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

std::string summary(std::vector<double> t) {
    if (t.empty()) return "no samples";
    std::sort(t.begin(), t.end());
    double sum = 0;
    for (double v : t) sum += v;
    char text[160];
    std::snprintf(text, sizeof text, "mean %.3f, median %.3f, p95 %.3f, max %.3f ms", sum / double(t.size()),
                  t[t.size() / 2], t[t.size() * 95 / 100], t.back());
    return text;
}

void send_close(Display *display, Window window) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &e);
    XSync(display, False);
}

// Shows a host and pumps for half a second, for whatever mapping brings.
standin::HostId open_host(int width, int height) {
    standin::HostWindowParams p;
    p.title = "x11 driver bench";
    p.width = width;
    p.height = height;
    const standin::HostId host = standin::kX11Driver.create_host(p);
    standin::kX11Driver.show_host(host, true);
    const double end = now_ms() + 500;
    while (now_ms() < end) standin::kX11Driver.wait(standin::kX11Driver.now_ns() + 20'000'000);
    return host;
}

void bench_waits(int rounds) {
    const standin::HostId host = open_host(100, 80);
    const Window window = standin::x11_host(host)->window;

    std::vector<double> late, cpu;
    for (int i = 0; i < rounds; ++i) {
        const int64_t deadline = standin::kX11Driver.now_ns() + 200'000'000;
        const double c0 = cpu_ms();
        standin::kX11Driver.wait(deadline);
        late.push_back(double(standin::kX11Driver.now_ns() - deadline) / 1e6);
        cpu.push_back(cpu_ms() - c0);
    }
    std::printf("wait(200 ms) with nothing happening: returned late by %s; CPU %s\n", summary(late).c_str(),
                summary(cpu).c_str());

    Display *peer = XOpenDisplay(nullptr);
    std::vector<double> pending;
    for (int i = 0; i < rounds && peer; ++i) {
        send_close(peer, window);
        const double t0 = now_ms();
        standin::kX11Driver.wait(standin::kX11Driver.now_ns() + 5'000'000'000);
        pending.push_back(now_ms() - t0);
    }
    std::printf("wait(5 s) with input pending: returned after %s\n", summary(pending).c_str());

    std::vector<double> woke, idle_cpu;
    for (int i = 0; i < rounds && peer; ++i) {
        const int closes = g_closes;
        std::thread sender([window] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (Display *other = XOpenDisplay(nullptr)) {
                send_close(other, window);
                XCloseDisplay(other);
            }
        });
        const double t0 = now_ms(), c0 = cpu_ms();
        while (g_closes == closes && now_ms() - t0 < 5000) standin::kX11Driver.wait(-1);
        woke.push_back(now_ms() - t0 - 100);
        idle_cpu.push_back(cpu_ms() - c0);
        sender.join();
    }
    std::printf("wait(no deadline), input after 100 ms: woke %s after it was sent; CPU %s\n", summary(woke).c_str(),
                summary(idle_cpu).c_str());
    if (peer) XCloseDisplay(peer);
    standin::kX11Driver.destroy_host(host);
}

void bench_present(int frames) {
    constexpr int kW = 601, kH = 540;
    const standin::HostId host = open_host(kW, kH);
    std::vector<uint32_t> own(size_t(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) own[size_t(y) * kW + x] = uint32_t((x * 7) & 0xFF) << 16 | uint32_t(y & 0xFF);
    const standin::HostRect all{0, 0, kW, kH};
    // As the core does: into the backend's shared memory when it offers
    // some, once the server is done with the previous frame; that wait and
    // the copy count as part of the present.
    auto present = [&](int i, int row) {
        own[size_t(row) * kW + size_t(i % kW)] = uint32_t(i);
        const double t0 = now_ms();
        uint32_t *shared = standin::kX11Driver.surface ? standin::kX11Driver.surface(host, kW, kH) : nullptr;
        if (shared) {
            standin::kX11Driver.await_surface(host);
            std::copy(own.begin(), own.end(), shared);
        }
        standin::kX11Driver.present(host, shared ? shared : own.data(), kW, kH, kW, &all, 1);
        return now_ms() - t0;
    };
    Display *display = standin::x11().display;
    for (int i = 0; i < 20; ++i) present(i, 2);
    XSync(display, False);
    std::vector<double> paced, back_to_back;
    for (int i = 0; i < frames; ++i) {
        XSync(display, False);
        paced.push_back(present(i, 0));
    }
    for (int i = 0; i < frames; ++i) back_to_back.push_back(present(i, 1));
    XSync(display, False);
    std::printf("present %dx%d via %s: paced %s; back to back %s\n", kW, kH,
                standin::x11().use_shm ? "MIT-SHM" : "XPutImage", summary(paced).c_str(),
                summary(back_to_back).c_str());
    standin::kX11Driver.destroy_host(host);
}

bool start(bool no_shm) {
    if (no_shm)
        setenv("STANDIN_X11_NO_SHM", "1", 1);
    else
        unsetenv("STANDIN_X11_NO_SHM");
    std::string error;
    if (standin::kX11Driver.init(&error)) return true;
    std::fprintf(stderr, "x11_driver_bench: %s (run it under tests/with-xvfb)\n", error.c_str());
    return false;
}

}  // namespace

namespace standin {

void core_input(const InputEvent &event) {
    ++g_inputs;
    if (event.kind == InputEvent::Kind::CloseRequest) ++g_closes;
}

}  // namespace standin

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
    if (rounds < 1 || rounds > 1000) {
        std::fprintf(stderr, "x11_driver_bench: ROUNDS must be a whole number from 1 to 1000\n");
        return 2;
    }
    if (!start(false)) return 1;
    bench_waits(rounds);
    bench_present(30 * rounds);
    standin::kX11Driver.shutdown();
    if (!start(true)) return 1;
    bench_present(30 * rounds);
    standin::kX11Driver.shutdown();
    std::printf("inputs handed over: %d\n", g_inputs);
    return 0;
}
