// Script writer and reader. Every line is on disk once written, so a
// recording survives a crash of the application; a write that fails stops
// the recording with one message and leaves only whole lines in the file.
// The reader accepts lines ending in "\r\n" as well as "\n", so files move
// between platforms, and it never overruns a buffer: numbers are converted
// straight from the line, and values beyond 32 bits saturate. Each event
// played is announced, with its line, to a listening debugger.
#include "script.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "graphics_window.h"
#include "lib_state.h"
#include "script_file.h"
#include "telka.h"

const char *const kScriptFileName = "TELKA.SCR";

namespace {

constexpr int kLineBufferSize = kScriptLineSize;

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

// Reads one piece of a line into `line`, turning a "\r\n" ending into "\n",
// and counts the file's lines as they start.
bool read_piece(char *line) {
    line[0] = '\0';
    if (std::fgets(line, kLineBufferSize, lib.scriptFile) == nullptr) return false;
    size_t n = std::strlen(line);
    if (n >= 2 && line[n - 2] == '\r' && line[n - 1] == '\n') {
        line[n - 2] = '\n';
        line[n - 1] = '\0';
        --n;
    }
    if (!lib.scriptLineOpen) ++lib.scriptLine;
    lib.scriptLineOpen = (n == 0 || line[n - 1] != '\n') ? 1 : 0;
    return true;
}

bool open_script(bool writing) {
    lib.scriptFile = script_file_open(kScriptFileName, writing);
    lib.scriptWriting = writing ? 1 : 0;
    lib.scriptLine = 0;
    lib.scriptLineOpen = 0;
    return lib.scriptFile != nullptr;
}

// Tells a listening debugger (the headless runner's record) which line each
// played event comes from: every event, so the events of one
// TELKA_PERIODIC(n) line are announced n times, with that line.
void announce_event(void) {
    if (!IsDebuggerPresent()) return;
    char message[kLineBufferSize + 48];
    std::snprintf(message, sizeof message, "TELKA script line %d: %s\n", static_cast<int>(lib.scriptLine),
                  lib.scriptEventText);
    OutputDebugStringA(message);
}

// Keeps the line an event was read from, without its newline, for the
// announcements of this event and of the periodic ones that follow it.
void keep_event_line(const char *line) {
    const size_t n = std::strcspn(line, "\n");
    std::memcpy(lib.scriptEventText, line, n);
    lib.scriptEventText[n] = '\0';
}

// A playback that finds no file says where it looked, and that Ctrl+P left
// the animation halted, so the user is not left with a still window.
void report_missing_script(void) {
    TELKA_printf("Cannot open script file %s for reading\n", kScriptFileName);
    std::error_code ec;
    const std::string dir = std::filesystem::current_path(ec).string();
    if (!ec) TELKA_printf("(looked in %s)\n", dir.c_str());
    TELKA_printf("Animation is halted; Ctrl+A resumes it\n");
}

// The disk refused a line: the part it took is cut off again, the file is
// closed and recording ends, so the message comes once and not per event.
void stop_recording_after_write_error(long complete_size, int error) {
    TELKA_printf("Cannot write script file %s: %s\n", kScriptFileName, std::strerror(error));
    script_file_cut(lib.scriptFile, complete_size);
    script_close();
    lib.recording = 0;
    lib.periodicCount = 0;
    CheckMenuItem(lib.runMenu, CMD_RECORD, MF_BYCOMMAND | MF_UNCHECKED);
}

}  // namespace

void script_record_event(int32_t kind, int32_t x, int32_t y, char key) {
    // A quit writes no line, so it must not open (and truncate) the file.
    if (kind != TELKA_MOUSE && kind != TELKA_KBD && kind != TELKA_PERIODIC) return;
    if (lib.scriptFile == nullptr) {
        if (!open_script(true)) {
            TELKA_printf("Cannot open script file %s for writing\n", kScriptFileName);
            return;
        }
    } else if (!lib.scriptWriting) {
        // Playback opened the file first and keeps it; it is left untouched.
        TELKA_printf("Script file %s is being played back; event not recorded\n", kScriptFileName);
        return;
    }
    const long complete_size = std::ftell(lib.scriptFile);
    int written = 0;
    errno = 0;
    switch (kind) {
        case TELKA_MOUSE: written = std::fprintf(lib.scriptFile, "TELKA_MOUSE(%d, %d);\n", x, y); break;
        case TELKA_KBD:
            written = std::fprintf(lib.scriptFile, "TELKA_KBD(%d);\n", static_cast<int>(static_cast<signed char>(key)));
            break;
        case TELKA_PERIODIC: written = std::fprintf(lib.scriptFile, "TELKA_PERIODIC(%d);\n", lib.periodicCount); break;
        default: return;
    }
    if (written < 0 || std::fflush(lib.scriptFile) != 0) {
        stop_recording_after_write_error(complete_size, errno != 0 ? errno : EIO);
    }
}

void script_record_periodic_run(void) {
    if (lib.periodicCount <= 0) return;
    script_record_event(TELKA_PERIODIC, lib.eventX, lib.eventY, lib.eventKey);
    lib.periodicCount = 0;
}

int script_play_event(void) {
    if (lib.scriptFile == nullptr) {
        if (!open_script(false)) {
            report_missing_script();
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
        announce_event();
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
    keep_event_line(line);
    announce_event();
    return 1;
}

void script_end_playback(void) {
    lib.playOne = 0;
    lib.playback = 0;
    // A count left by the last line (-1 after a PERIODIC(0) line, or events
    // not yet handed out) must not leak into the next playback or recording;
    // a recording in progress owns the count.
    if (!lib.recording) lib.periodicCount = 0;
    CheckMenuItem(lib.runMenu, CMD_PLAYBACK, MF_BYCOMMAND | MF_UNCHECKED);
}

void script_stop_playback(void) {
    script_end_playback();
    if (!lib.scriptWriting) script_close();
}

void script_close(void) {
    if (lib.scriptFile != nullptr) {
        std::fclose(lib.scriptFile);
        lib.scriptFile = nullptr;
    }
}
