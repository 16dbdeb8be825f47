// Frame dumps of the headless backend: every presented frame, the whole host
// surface, written as DIR/frame-NNNNNN-hostN.png through png_io. A directory
// that cannot be made turns the dumps off with one message.
#include "backends/headless/headless_internal.h"
#include "backends/headless/png_io.h"

#include <cstdio>
#include <filesystem>

namespace standin {

namespace {

struct FrameDumps {
    std::string dir;      // empty: frames are not written
    uint64_t frames = 0;  // frames presented so far, dumped or not
};

FrameDumps &frame_dumps() {
    static FrameDumps d;
    return d;
}

}  // namespace

bool headless_set_dump_dir(const std::string &dir) {
    FrameDumps &d = frame_dumps();
    d.dir.clear();
    if (dir.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        std::fprintf(stderr, "headless: cannot use '%s' for frame dumps; frames are not dumped\n", dir.c_str());
        return false;
    }
    d.dir = dir;
    return true;
}

void headless_dump_frame(HostId host, const uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    FrameDumps &d = frame_dumps();
    ++d.frames;
    if (d.dir.empty()) return;
    char name[64];
    std::snprintf(name, sizeof name, "/frame-%06llu-host%llu.png", static_cast<unsigned long long>(d.frames),
                  static_cast<unsigned long long>(host));
    if (!write_png(d.dir + name, pixels, width, height, stride))
        std::fprintf(stderr, "headless: cannot write frame %s%s\n", d.dir.c_str(), name);
}

}  // namespace standin
