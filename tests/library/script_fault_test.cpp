// Scripts under faults: a quit during playback, a TELKA.SCR that is not a
// regular file, a disk that refuses a line while recording, and a periodic
// count that must not leak from one run into the next.
#include "script_fixture.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace libtest;

namespace {

class ScriptFault : public ScriptTest {};

Input at(int64_t ms, std::function<void()> f) { return Input{ms, std::move(f)}; }
void record_command() { SendMessageA(lib.graphicsWnd, WM_COMMAND, 5, 0); }
bool checked(UINT id) { return (GetMenuState(lib.runMenu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

// Plays an endless periodic script for 100 events, then gives the quit and
// expects it to end the playback within the waits that pump it (one pumped
// message per wait while playing back).
void quit_during_endless_playback(const std::function<void()> &quit) {
    std::ofstream("TELKA.SCR") << "TELKA_PERIODIC(2147483647);\n";
    ASSERT_EQ(wait_event({at(5, [] { inject_ctrl_letter('p'); })}).kind, TELKA_PERIODIC);
    for (int i = 1; i < 100; ++i) ASSERT_EQ(wait_event().kind, TELKA_PERIODIC) << i;
    quit();
    int kind = 0;
    for (int i = 0; i < 5 && kind != TELKA_QUIT; ++i) kind = wait_event().kind;
    EXPECT_EQ(kind, TELKA_QUIT);
    EXPECT_EQ(lib.playback, 0);
    EXPECT_FALSE(checked(6));
    EXPECT_EQ(lib.scriptFile, nullptr);
}

TEST_F(ScriptFault, QuitWinsOverPlayback) {
    quit_during_endless_playback([] { inject_ctrl_letter('q'); });
}

TEST_F(ScriptFault, ClosingTheWindowWinsOverPlayback) {
    quit_during_endless_playback([] { standin::headless_close_request(lib.graphicsWnd); });
}

TEST_F(ScriptFault, OnlyRegularFilesAreOpened) {
    const std::string for_reading = "Cannot open script file TELKA.SCR for reading\n";
    const std::string for_writing = "Cannot open script file TELKA.SCR for writing\n";
    auto refused = [&](const char *what) {
        clear_ring();
        lib.playback = 1;
        EXPECT_EQ(play().result, 0) << what;
        EXPECT_EQ(ring().front(), for_reading) << what;
        clear_ring();
        script_record_event(TELKA_KBD, 0, 0, 'a');
        EXPECT_EQ(ring(), std::vector<std::string>{for_writing}) << what;
        EXPECT_EQ(lib.scriptFile, nullptr) << what;
    };
    // A FIFO used to block both opens until another process opened it.
    ASSERT_EQ(mkfifo("TELKA.SCR", 0600), 0);
    refused("fifo");
    std::filesystem::remove("TELKA.SCR");
    std::filesystem::create_directory("TELKA.SCR");
    refused("directory");
    std::filesystem::remove("TELKA.SCR");

    std::ofstream("real.scr") << "TELKA_KBD(65);\n";
    std::filesystem::create_symlink("real.scr", "TELKA.SCR");
    EXPECT_EQ(play().key, 'A');
}

TEST_F(ScriptFault, AMissingFileSaysWhereAndThatAnimationIsHalted) {
    TELKA_animate(2);
    wait_event({at(5, [] { inject_ctrl_letter('p'); })});
    EXPECT_TRUE(wait_event().blocked);  // halted, as the last line says
    const std::vector<std::string> lines = ring_shown();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Cannot open script file TELKA.SCR for reading");
    EXPECT_EQ(lines[1], "(looked in " + std::filesystem::current_path().string() + ")");
    EXPECT_EQ(lines[2], "Animation is halted; Ctrl+A resumes it");
}

TEST_F(ScriptFault, AWriteErrorStopsRecordingOnceAndLeavesWholeLines) {
    // A file-size limit is a full disk that needs no mount: the sixth line
    // is cut after 4 of its 15 bytes.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 5 * 15 + 4;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    record_command();
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(wait_event({at(5, [] { standin::headless_type_text("a"); })}).kind, TELKA_KBD) << i;
    }
    setrlimit(RLIMIT_FSIZE, &old);

    const std::vector<std::string> lines = ring_shown();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Cannot write script file TELKA.SCR: ", 0), 0u) << lines[0];
    EXPECT_EQ(lib.recording, 0);
    EXPECT_FALSE(checked(5));
    EXPECT_EQ(lib.scriptFile, nullptr);
    std::string five;
    for (int i = 0; i < 5; ++i) five += "TELKA_KBD(97);\n";
    EXPECT_EQ(read_script(), five);
}

TEST_F(ScriptFault, AQuitWhileRecordingLeavesTheOldFileAlone) {
    write_script("TELKA_KBD(65);\n");
    record_command();
    PostQuitMessage(0);
    EXPECT_EQ(wait_event().kind, TELKA_QUIT);
    EXPECT_EQ(read_script(), "TELKA_KBD(65);\n");
}

TEST_F(ScriptFault, ThePeriodicCountDoesNotLeakBetweenRuns) {
    write_script("TELKA_PERIODIC(0);\n");
    lib.playback = 1;
    EXPECT_EQ(play().kind, TELKA_PERIODIC);
    EXPECT_EQ(play().result, 0);  // end of file
    EXPECT_EQ(lib.periodicCount, 0);

    lib.periodicCount = 7;  // left by a playback stopped from outside
    record_command();
    TELKA_animate(2);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(wait_event().kind, TELKA_PERIODIC);
    record_command();
    EXPECT_EQ(read_script(), "TELKA_PERIODIC(3);\n");
}

}  // namespace
