// A steered run's explaining (STANDIN_HEADLESS_EXPLAIN): the frame asked for
// is explained (trace/pixel_explain.h) and its dump written to the file
// telka-run named, beside it first and renamed over it, so telka-run never
// reads half a dump.
#include "automation.h"

#include "pixel_explain.h"

#include <cstdio>

namespace standin {

namespace {

std::string &dump_path() {
    static std::string *path = new std::string;  // never destroyed: the dump may come at exit
    return *path;
}

void write_dump(const std::vector<uint8_t> &dump) {
    const std::string &path = dump_path();
    const std::string part = path + ".part";
    FILE *f = std::fopen(part.c_str(), "wb");
    bool written = f != nullptr && std::fwrite(dump.data(), 1, dump.size(), f) == dump.size();
    if (f != nullptr && std::fclose(f) != 0) written = false;
    if (!written || std::rename(part.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "headless: cannot write the explain dump '%s'\n", path.c_str());
        std::remove(part.c_str());
    }
}

}  // namespace

void start_explain_dump(uint64_t frame, const std::string &path) {
    if (path.empty()) {
        std::fprintf(stderr, "headless: STANDIN_HEADLESS_EXPLAIN needs STANDIN_HEADLESS_EXPLAIN_DUMP; ignored\n");
        return;
    }
    dump_path() = path;
    start_explaining(frame, write_dump, headless_now_ns);
}

}  // namespace standin
