// Shared by the script tests: each test runs with the library open in a
// fresh temporary current directory, and can write and read TELKA.SCR there
// and call the script reader directly.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "library_fixture.h"
#include "script.h"

namespace libtest {

class ScriptTest : public LibraryTest {
protected:
    void SetUp() override {
        old_dir_ = std::filesystem::current_path();
        std::string tmpl = (std::filesystem::temp_directory_path() / "telka-script-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr) << tmpl;
        dir_ = tmpl;
        std::filesystem::current_path(dir_);
        LibraryTest::SetUp();
        clear_ring();
    }
    void TearDown() override {
        script_close();
        std::filesystem::current_path(old_dir_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    static void write_script(const std::string &text) {
        std::ofstream f("TELKA.SCR", std::ios::binary | std::ios::trunc);
        f << text;
    }
    static bool script_exists() { return std::filesystem::exists("TELKA.SCR"); }
    static std::string read_script() {
        std::ifstream f("TELKA.SCR", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }

    // One call of the reader with the pending event reset as a wait does it.
    struct Played {
        int result;
        int kind;
        int32_t x;
        int32_t y;
        char key;
    };
    static Played play() {
        lib.eventKind = kNoEvent;
        lib.eventX = 0;
        lib.eventY = 0;
        lib.eventKey = 0;
        const int r = script_play_event();
        return Played{r, lib.eventKind, lib.eventX, lib.eventY, lib.eventKey};
    }

    std::filesystem::path old_dir_;
    std::filesystem::path dir_;
};

}  // namespace libtest
