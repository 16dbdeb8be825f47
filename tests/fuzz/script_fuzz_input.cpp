// Drives the script reader over one input file: it relies on the library's
// LibState and reader only, with no window open (messages go to the ring,
// the Playback item of a missing menu is left alone by the stand-in).
#include "script_fuzz_input.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "lib_state.h"
#include "script.h"
#include "telka.h"

namespace {

constexpr int kMaxCalls = 10000;

std::string &private_dir() {
    static std::string dir;
    return dir;
}

void remove_private_dir() {
    if (private_dir().empty()) return;
    std::remove((private_dir() + "/" + kScriptFileName).c_str());
    rmdir(private_dir().c_str());
}

bool enter_private_dir() {
    static const bool entered = [] {
        std::error_code ec;
        const std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
        std::string tmpl = ((ec ? std::filesystem::path("/tmp") : tmp) / "telka-fuzz-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr || chdir(tmpl.c_str()) != 0) {
            std::perror("script fuzz: cannot enter a private directory");
            return false;
        }
        private_dir() = tmpl;
        std::atexit(remove_private_dir);
        return true;
    }();
    return entered;
}

}  // namespace

bool script_fuzz_one(const uint8_t *data, size_t size) {
    if (!enter_private_dir()) std::abort();
    script_close();
    FILE *f = std::fopen(kScriptFileName, "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);

    bool kinds_ok = true;
    lib.periodicCount = 0;
    lib.playOne = 0;
    lib.playback = 1;
    for (int i = 0; i < kMaxCalls; ++i) {
        lib.eventKind = kNoEvent;
        if (script_play_event() == 1) {
            const int k = lib.eventKind;
            if (k != TELKA_MOUSE && k != TELKA_KBD && k != TELKA_PERIODIC) kinds_ok = false;
            continue;
        }
        if (lib.scriptFile == nullptr) break;  // end of file
        lib.playback = 1;                      // an unrecognised line: go on after it
    }
    script_close();
    lib.playback = 0;
    lib.periodicCount = 0;
    return kinds_ok;
}
