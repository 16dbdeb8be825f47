// Text capture: the library hands every line of its text window to
// OutputDebugStringA (one string, ending in a newline); the kernel passes it
// to the listener registered here, which appends it to the file as given.
// Nothing is inferred from how the window paints.
#include "automation.h"

#include "kernel/debug_output.h"

#include <cstdio>
#include <cstring>

namespace standin {

namespace {

FILE *g_file = nullptr;

// Flushed line by line, so a run stopped or crashed keeps what was printed.
void write_text(const char *text) {
    std::fwrite(text, 1, std::strlen(text), g_file);
    std::fflush(g_file);
}

}  // namespace

bool start_text_capture(const std::string &path) {
    if (g_file) std::fclose(g_file);
    g_file = std::fopen(path.c_str(), "wb");
    if (!g_file) {
        std::fprintf(stderr, "headless: cannot write the text file '%s'; the text is not captured\n", path.c_str());
        set_debug_output_listener({});
        return false;
    }
    DebugOutputListener listener;
    listener.text = write_text;
    set_debug_output_listener(listener);
    return true;
}

}  // namespace standin
