// Text capture: the library hands every line of its text window to
// OutputDebugStringA ("TELKA text: LINE\n"); the debug channel
// (trace/trace_channel.cpp) passes those lines, without the prefix and apart from
// the call and script announcements, here, and they are appended to the file.
// Nothing is inferred from how the window paints.
#include "automation.h"

#include "steered_run.h"

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
        trace_sinks().text = nullptr;
        return false;
    }
    trace_sinks().text = write_text;
    return true;
}

}  // namespace standin
