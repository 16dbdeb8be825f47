// The script writer through the event wait and the Record command: the lines
// of a recording, periodic runs, truncation, an untouched file when nothing
// is recorded, keys above 127, one file shared by both directions, a file
// that cannot be written, shut-down, and lines that survive a killed process.
#include "script_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace libtest;

namespace {

class ScriptWriter : public ScriptTest {};

Input at(int64_t ms, std::function<void()> f) { return Input{ms, std::move(f)}; }
void record_command() { SendMessageA(lib.graphicsWnd, WM_COMMAND, 5, 0); }
void playback_command() { SendMessageA(lib.graphicsWnd, WM_COMMAND, 6, 0); }
bool checked(UINT id) { return (GetMenuState(lib.runMenu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

TEST_F(ScriptWriter, ClickPeriodicRunAndKeyMakeThreeLines) {
    WaitResult r = wait_event({at(10, [] { inject_ctrl_letter('r'); }), at(20, [] { inject_click(10, -20); })});
    ASSERT_EQ(r.kind, TELKA_MOUSE);
    EXPECT_EQ(lib.recording, 1);
    EXPECT_TRUE(checked(5));
    TELKA_animate(2);
    for (int i = 0; i < 40; ++i) ASSERT_EQ(wait_event().kind, TELKA_PERIODIC);
    EXPECT_EQ(read_script(), "TELKA_MOUSE(10, -20);\n");  // the run is only counted so far
    TELKA_animate(0);
    r = wait_event({at(10, [] { standin::headless_type_text("q"); })});
    ASSERT_EQ(r.kind, TELKA_KBD);
    record_command();
    EXPECT_EQ(lib.recording, 0);
    EXPECT_FALSE(checked(5));
    EXPECT_EQ(lib.scriptFile, nullptr);
    EXPECT_EQ(read_script(), "TELKA_MOUSE(10, -20);\nTELKA_PERIODIC(40);\nTELKA_KBD(113);\n");
}

TEST_F(ScriptWriter, SwitchingOffWritesThePendingRun) {
    record_command();
    TELKA_animate(2);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(wait_event().kind, TELKA_PERIODIC);
    EXPECT_FALSE(script_exists());  // opened at the first line written
    record_command();
    EXPECT_EQ(lib.periodicCount, 0);
    EXPECT_EQ(read_script(), "TELKA_PERIODIC(3);\n");
}

TEST_F(ScriptWriter, QuitWritesThePendingRunButNoLineOfItsOwn) {
    record_command();
    TELKA_animate(2);
    for (int i = 0; i < 2; ++i) ASSERT_EQ(wait_event().kind, TELKA_PERIODIC);
    const WaitResult r = wait_event({at(10, [] { inject_ctrl_letter('q'); })});
    EXPECT_EQ(r.kind, TELKA_QUIT);
    EXPECT_EQ(read_script(), "TELKA_PERIODIC(2);\n");
}

TEST_F(ScriptWriter, SwitchingOnAndOffWithoutEventsLeavesTheFileUntouched) {
    write_script("keep me\n");
    // Ctrl+R twice; the click that ends the blocked wait comes after recording stopped.
    const WaitResult r = wait_event({at(10, [] { inject_ctrl_letter('r'); }), at(20, [] { inject_ctrl_letter('r'); })});
    EXPECT_TRUE(r.blocked);
    EXPECT_EQ(lib.recording, 0);
    EXPECT_EQ(read_script(), "keep me\n");
    record_command();
    record_command();
    EXPECT_EQ(read_script(), "keep me\n");
}

TEST_F(ScriptWriter, ASecondRecordingTruncates) {
    record_command();
    ASSERT_EQ(wait_event({at(10, [] { inject_click(1, 2); })}).kind, TELKA_MOUSE);
    record_command();
    EXPECT_EQ(read_script(), "TELKA_MOUSE(1, 2);\n");
    record_command();
    ASSERT_EQ(wait_event({at(10, [] { standin::headless_type_text("x"); })}).kind, TELKA_KBD);
    record_command();
    EXPECT_EQ(read_script(), "TELKA_KBD(120);\n");
}

TEST_F(ScriptWriter, KeysAbove127RoundTrip) {
    record_command();
    WaitResult r = wait_event({at(10, [] { PostMessageA(lib.graphicsWnd, WM_CHAR, 0xE9, 0); })});
    ASSERT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, static_cast<char>(0xE9));
    record_command();
    EXPECT_EQ(read_script(), "TELKA_KBD(-23);\n");

    playback_command();
    settle();
    r = wait_event({at(5, inject_harmless)});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, static_cast<char>(0xE9));
}

TEST_F(ScriptWriter, PlaybackCannotTakeTheFileThatRecordingOpened) {
    record_command();
    ASSERT_EQ(wait_event({at(10, [] { inject_click(3, 4); })}).kind, TELKA_MOUSE);
    clear_ring();
    playback_command();
    const WaitResult r = wait_event({at(10, [] { inject_click(5, 6); })});
    EXPECT_EQ(r.kind, TELKA_MOUSE);  // live input goes on
    EXPECT_EQ(r.x, 5);
    EXPECT_EQ(ring().size(), 1u);
    EXPECT_EQ(lib.playback, 0);
    EXPECT_FALSE(checked(6));
    EXPECT_EQ(lib.recording, 1);
    record_command();
    EXPECT_EQ(read_script(), "TELKA_MOUSE(3, 4);\nTELKA_MOUSE(5, 6);\n");
}

TEST_F(ScriptWriter, RecordingCannotWriteToTheFileThatPlaybackOpened) {
    const std::string script = "TELKA_KBD(65);\nTELKA_KBD(66);\n";
    write_script(script);
    playback_command();
    settle();
    ASSERT_EQ(wait_event({at(5, inject_harmless)}).key, 'A');
    clear_ring();
    record_command();
    const WaitResult r = wait_event({at(5, inject_harmless)});
    EXPECT_EQ(r.key, 'B');
    EXPECT_EQ(ring().size(), 1u);
    record_command();
    EXPECT_EQ(read_script(), script);
}

TEST_F(ScriptWriter, FileThatCannotBeOpenedIsReportedAtEveryLine) {
    std::filesystem::create_directory("TELKA.SCR");
    record_command();
    for (int i = 0; i < 2; ++i) ASSERT_EQ(wait_event({at(10, [] { inject_click(0, 0); })}).kind, TELKA_MOUSE);
    EXPECT_EQ(ring_shown(), (std::vector<std::string>{"Cannot open script file TELKA.SCR for writing",
                                                      "Cannot open script file TELKA.SCR for writing"}));
    EXPECT_EQ(lib.recording, 1);
    EXPECT_EQ(lib.scriptFile, nullptr);
}

TEST_F(ScriptWriter, CloseClosesTheScriptFile) {
    record_command();
    ASSERT_EQ(wait_event({at(10, [] { inject_click(-7, 8); })}).kind, TELKA_MOUSE);
    EXPECT_EQ(TELKA_close(), 1);
    EXPECT_EQ(lib.scriptFile, nullptr);
    EXPECT_EQ(read_script(), "TELKA_MOUSE(-7, 8);\n");
}

TEST_F(ScriptWriter, RecordedLinesSurviveAKilledProcess) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child records one click and then waits to be killed.
        close(ready[0]);
        record_command();
        const WaitResult r = wait_event({at(10, [] { inject_click(10, -20); })});
        const char ok = r.kind == TELKA_MOUSE ? 'y' : 'n';
        if (write(ready[1], &ok, 1) != 1) _exit(2);
        for (;;) pause();
    }
    close(ready[1]);
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    close(ready[0]);
    EXPECT_EQ(ok, 'y');
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(read_script(), "TELKA_MOUSE(10, -20);\n");
}

}  // namespace
