// Writing or checking the documentation pictures. Checking compares pixels,
// not file bytes, so a different PNG encoder version does not count as drift.
#include "picture_out.h"

#include <automation.h>

#include "image_compare.h"

#include <cstdio>
#include <cstring>

namespace docpics {

namespace {

bool g_check = false;
std::string g_dir;
int g_failures = 0;

// The committed picture against what the program draws now. The actual and
// diff images land in the working folder, beside the check's other output.
bool check(const std::string &path, const std::string &name, const uint32_t *pixels, int width, int height,
           ptrdiff_t stride) {
    const image_compare::Result r = image_compare::against_reference(path, pixels, width, height, stride, name);
    if (r.same()) return true;
    std::fprintf(stderr, "%s\n  if the change is meant, regenerate the pictures\n", r.message.c_str());
    return false;
}

}  // namespace

bool parse_output_args(int argc, char **argv, int *next) {
    int i = 1;
    if (i < argc && std::strcmp(argv[i], "--check") == 0) {
        g_check = true;
        ++i;
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: %s [--check] DIR ...\n", argc > 0 ? argv[0] : "tool");
        return false;
    }
    g_dir = argv[i++];
    *next = i;
    return true;
}

bool emit_png(const std::string &name, const uint32_t *pixels, int width, int height, ptrdiff_t stride) {
    const std::string path = g_dir + "/" + name + ".png";
    bool ok = pixels != nullptr && width > 0 && height > 0;
    if (!ok)
        std::fprintf(stderr, "%s: nothing to show\n", path.c_str());
    else if (g_check)
        ok = check(path, name, pixels, width, height, stride);
    else if (!standin::write_png(path, pixels, width, height, stride)) {
        std::fprintf(stderr, "%s: cannot write\n", path.c_str());
        ok = false;
    }
    if (!ok) ++g_failures;
    return ok;
}

int failures() { return g_failures == 0 ? 0 : 1; }

}  // namespace docpics
