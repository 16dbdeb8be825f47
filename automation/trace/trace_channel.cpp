// The debug channel's reader (trace_channel.h). The library starts every
// string with its kind, so a printed line never reads as an announcement:
// "TELKA text: ", "TELKA site: ", "TELKA call: ", "TELKA script line N: "
// and "TELKA event: ".
#include "trace_channel.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace standin {

namespace {

constexpr char kTextPrefix[] = "TELKA text: ";
constexpr char kSitePrefix[] = "TELKA site: ";
constexpr char kCallPrefix[] = "TELKA call: ";
constexpr char kLinePrefix[] = "TELKA script line ";
constexpr char kEventPrefix[] = "TELKA event: ";

TraceSinks g_sinks;

// The site announced for the call that comes next.
struct PendingSite {
    int64_t line = 0;
    // The file's name and a NUL: a vector, whose calls inline, where the
    // browser build's string would call into its C++ library several times
    // for every call announced.
    std::vector<char> file;
    bool set = false;
};

PendingSite &pending_site() {
    static PendingSite *site = new PendingSite;  // never destroyed: announcements may come at exit
    return *site;
}

size_t without_newline(const char *text) {
    const size_t n = std::strlen(text);
    return n > 0 && text[n - 1] == '\n' ? n - 1 : n;
}

template <size_t N>
const char *after(const char *text, const char (&prefix)[N]) {
    // Character by character: a call into the C library for each prefix tried
    // costs more than the comparison (the text ends at a NUL that no prefix has).
    for (size_t i = 0; i + 1 < N; ++i)
        if (text[i] != prefix[i]) return nullptr;
    return text + N - 1;
}

// A decimal number at *p, moved past; false when there is none.
bool read_number(const char **p, int64_t *out) {
    const char *s = *p;
    bool negative = false;
    if (*s == '-') {
        negative = true;
        ++s;
    }
    if (*s < '0' || *s > '9') return false;
    int64_t n = 0;
    for (; *s >= '0' && *s <= '9'; ++s)
        if (n < INT64_MAX / 10) n = n * 10 + (*s - '0');
    *out = negative ? -n : n;
    *p = s;
    return true;
}

void on_site(const char *rest) {
    PendingSite &site = pending_site();
    int64_t line = 0;
    if (!read_number(&rest, &line) || *rest != ' ' || line <= 0) return;
    ++rest;
    site.line = line;
    // Calls come from a few files: most sites name the file the last one did.
    const size_t n = without_newline(rest);
    if (site.file.size() != n + 1 || std::memcmp(site.file.data(), rest, n) != 0) {
        site.file.assign(rest, rest + n);
        site.file.push_back('\0');
    }
    site.set = true;
}

void on_call(const char *rest) {
    PendingSite &site = pending_site();
    CallAnnouncement call;
    call.text = rest;
    call.length = without_newline(rest);
    if (site.set) {
        call.line = site.line;
        call.file = site.file.data();
        call.file_length = site.file.size() - 1;
    }
    if (g_sinks.record_call) g_sinks.record_call(call);
    if (g_sinks.explain_call) g_sinks.explain_call(call);
    site.set = false;
}

void on_event(const char *rest) {
    int64_t v[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && *rest++ != ' ') return;
        if (!read_number(&rest, &v[i])) return;
    }
    if (g_sinks.event)
        g_sinks.event(EventAnnouncement{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]),
                                        static_cast<int32_t>(v[2]), static_cast<uint32_t>(v[3] & 0xFF)});
}

void on_script_line(const char *rest) {
    int64_t number = 0;
    if (!read_number(&rest, &number) || number < 0 || rest[0] != ':' || rest[1] != ' ') return;
    rest += 2;
    if (g_sinks.script_line) g_sinks.script_line(number, rest, without_newline(rest));
}

void dispatch(const char *text) {
    if (g_sinks.raw) g_sinks.raw(text);
    if (const char *rest = after(text, kTextPrefix)) {
        if (g_sinks.text) g_sinks.text(rest);
    } else if (const char *site = after(text, kSitePrefix)) {
        on_site(site);
    } else if (const char *call = after(text, kCallPrefix)) {
        on_call(call);
    } else if (const char *event = after(text, kEventPrefix)) {
        on_event(event);
    } else if (const char *line = after(text, kLinePrefix)) {
        on_script_line(line);
    }
    // Anything else is not the library's: neither a line of its text window
    // nor an announcement.
}

bool listening() {
    const TraceSinks &s = g_sinks;
    return s.text || s.record_call || s.script_line || s.explain_call || s.event || s.raw;
}

}  // namespace

DebugOutputListener trace_channel_listener() { return DebugOutputListener{dispatch, listening}; }

TraceSinks &trace_sinks() { return g_sinks; }

}  // namespace standin
