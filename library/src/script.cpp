// Script writer and reader. The writer flushes every line, so a recording
// survives a crash of the application. The reader accepts lines ending in
// "\r\n" as well as "\n", so files move between platforms, and it never
// overruns a buffer: numbers are converted straight from the line, and values
// beyond 32 bits saturate.
#include "script.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "graphics_window.h"
#include "lib_state.h"
#include "telka.h"

const char *const kScriptFileName = "TELKA.SCR";

namespace {

constexpr int kLineBufferSize = 512;  // lines are read in pieces of 511 characters

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Scans from *pos past characters that cannot start a number, then converts
// the run of number characters found there as the C library's decimal
// conversion would (optional leading minus, digits up to the first non-digit),
// saturating at the int32 limits. *pos ends after the whole run.
int32_t scan_number(const char *line, size_t *pos, bool allow_minus) {
    auto number_char = [allow_minus](char c) { return is_digit(c) || (allow_minus && c == '-'); };
    size_t i = *pos;
    while (line[i] != '\0' && !number_char(line[i])) ++i;
    const size_t start = i;
    while (line[i] != '\0' && number_char(line[i])) ++i;
    *pos = i;

    size_t j = start;
    bool negative = false;
    if (j < i && line[j] == '-') {
        negative = true;
        ++j;
    }
    int64_t value = 0;
    for (; j < i && is_digit(line[j]); ++j) {
        value = value * 10 + (line[j] - '0');
        if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;  // saturate, keep going
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(value);
}

// Reads one piece of a line into `line`, turning a "\r\n" ending into "\n".
bool read_piece(char *line) {
    line[0] = '\0';
    if (std::fgets(line, kLineBufferSize, lib.scriptFile) == nullptr) return false;
    const size_t n = std::strlen(line);
    if (n >= 2 && line[n - 2] == '\r' && line[n - 1] == '\n') {
        line[n - 2] = '\n';
        line[n - 1] = '\0';
    }
    return true;
}

bool open_script(const char *mode, bool writing) {
    lib.scriptFile = std::fopen(kScriptFileName, mode);
    lib.scriptWriting = writing ? 1 : 0;
    return lib.scriptFile != nullptr;
}

}  // namespace

void script_record_event(int32_t kind, int32_t x, int32_t y, char key) {
    if (lib.scriptFile == nullptr) {
        if (!open_script("wt", true)) {
            TELKA_printf("Cannot open script file %s for writing\n", kScriptFileName);
            return;
        }
    } else if (!lib.scriptWriting) {
        // Playback opened the file first and keeps it; it is left untouched.
        TELKA_printf("Script file %s is being played back; event not recorded\n", kScriptFileName);
        return;
    }
    switch (kind) {
        case TELKA_MOUSE: std::fprintf(lib.scriptFile, "TELKA_MOUSE(%d, %d);\n", x, y); break;
        case TELKA_KBD: std::fprintf(lib.scriptFile, "TELKA_KBD(%d);\n", static_cast<int>(static_cast<signed char>(key))); break;
        case TELKA_PERIODIC: std::fprintf(lib.scriptFile, "TELKA_PERIODIC(%d);\n", lib.periodicCount); break;
        default: return;
    }
    std::fflush(lib.scriptFile);
}

void script_record_periodic_run(void) {
    if (lib.periodicCount <= 0) return;
    script_record_event(TELKA_PERIODIC, lib.eventX, lib.eventY, lib.eventKey);
    lib.periodicCount = 0;
}

int script_play_event(void) {
    if (lib.scriptFile == nullptr) {
        if (!open_script("rt", false)) {
            TELKA_printf("Cannot open script file %s for reading\n", kScriptFileName);
            script_end_playback();
            return 0;
        }
    } else if (lib.scriptWriting) {
        // Recording opened the file first and keeps it.
        TELKA_printf("Script file %s is being recorded; cannot play it back\n", kScriptFileName);
        script_end_playback();
        return 0;
    }

    if (lib.periodicCount > 0) {
        lib.eventKind = TELKA_PERIODIC;
        --lib.periodicCount;
        return 1;
    }

    char line[kLineBufferSize];
    bool read = read_piece(line);
    while (read && !std::feof(lib.scriptFile) && line[0] == '\n') read = read_piece(line);
    if (!read || std::feof(lib.scriptFile)) {
        TELKA_printf("EOF encountered in script file %s\n", kScriptFileName);
        script_close();
        script_end_playback();
        return 0;
    }

    size_t pos = 6;
    switch (std::strlen(line) > 6 ? line[6] : '\0') {
        case 'M':
            lib.eventKind = TELKA_MOUSE;
            lib.eventX = scan_number(line, &pos, true);
            lib.eventY = scan_number(line, &pos, true);
            break;
        case 'K':
            lib.eventKind = TELKA_KBD;
            // A minus sign is accepted so that keys above 127, written as
            // negative numbers, come back as the same key.
            lib.eventKey = static_cast<char>(scan_number(line, &pos, true) & 0xFF);
            break;
        case 'P': {
            const int32_t n = scan_number(line, &pos, false);
            lib.eventKind = TELKA_PERIODIC;
            lib.periodicCount = n - 1;
            break;
        }
        default:
            // The file stays open after this line; unchecking the item keeps
            // the menu in step with the playback that ends here.
            script_end_playback();
            return 0;
    }
    return 1;
}

void script_end_playback(void) {
    lib.playOne = 0;
    lib.playback = 0;
    CheckMenuItem(lib.runMenu, CMD_PLAYBACK, MF_BYCOMMAND | MF_UNCHECKED);
}

void script_close(void) {
    if (lib.scriptFile != nullptr) {
        std::fclose(lib.scriptFile);
        lib.scriptFile = nullptr;
    }
}
