// The kernel's one debug-output listener in a steered run, shared by the text
// capture and the record. The library starts every string with its kind:
// "TELKA text: " for a text window line (to the capture, prefix stripped),
// "TELKA call: " for a drawing call and "TELKA script line N: " for a script
// event (to the record). A printed line thus never reads as an announcement.
#include "steered_run.h"

#include "kernel/debug_output.h"

#include <cstring>

namespace standin {

namespace {

constexpr char kTextPrefix[] = "TELKA text: ";
constexpr char kCallPrefix[] = "TELKA call: ";
constexpr char kLinePrefix[] = "TELKA script line ";

struct Sinks {
    void (*text)(const char *) = nullptr;
    void (*call)(const char *, size_t) = nullptr;
    void (*line)(int64_t, const char *, size_t) = nullptr;
};

Sinks g_sinks;

size_t without_newline(const char *text) {
    const size_t n = std::strlen(text);
    return n > 0 && text[n - 1] == '\n' ? n - 1 : n;
}

// "N: TEXT\n" after the line prefix; false when it is not that shape.
bool parse_line(const char *rest, int64_t *number, const char **text) {
    const char *p = rest;
    int64_t n = 0;
    if (*p < '0' || *p > '9') return false;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (n < INT64_MAX / 10) n = n * 10 + (*p - '0');
    if (p[0] != ':' || p[1] != ' ') return false;
    *number = n;
    *text = p + 2;
    return true;
}

void dispatch(const char *text) {
    if (std::strncmp(text, kTextPrefix, sizeof kTextPrefix - 1) == 0) {
        if (g_sinks.text) g_sinks.text(text + sizeof kTextPrefix - 1);
        return;
    }
    if (std::strncmp(text, kCallPrefix, sizeof kCallPrefix - 1) == 0) {
        const char *rest = text + sizeof kCallPrefix - 1;
        if (g_sinks.call) g_sinks.call(rest, without_newline(rest));
        return;
    }
    if (std::strncmp(text, kLinePrefix, sizeof kLinePrefix - 1) == 0) {
        int64_t number = 0;
        const char *rest = nullptr;
        if (parse_line(text + sizeof kLinePrefix - 1, &number, &rest)) {
            if (g_sinks.line) g_sinks.line(number, rest, without_newline(rest));
            return;
        }
    }
    // Anything else is not the library's: neither a line of its text window
    // nor a record's entry.
}

// The library skips its announcements unless somebody listens
// (IsDebuggerPresent): only a run that captures text or records does.
bool listening() { return g_sinks.text || g_sinks.call || g_sinks.line; }

}  // namespace

DebugOutputListener debug_channel_listener() { return DebugOutputListener{dispatch, listening}; }

void channel_set_text_sink(void (*text)(const char *text)) { g_sinks.text = text; }

void channel_set_record_sinks(void (*call)(const char *text, size_t length),
                              void (*line)(int64_t number, const char *text, size_t length)) {
    g_sinks.call = call;
    g_sinks.line = line;
}

}  // namespace standin
