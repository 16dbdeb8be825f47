// The script reader: periodic counts, key and mouse lines, what the reader
// tolerates (loose punctuation, empty lines, CRLF, long numbers and lines),
// the end of the file and a missing file, and playback driven through the
// event wait (unrecognised lines, Play One, stopping, replacing live input).
#include "script_fixture.h"

#include <climits>
#include <tuple>

using namespace libtest;

namespace {

class ScriptReader : public ScriptTest {};

const std::string kEofMessage = "EOF encountered in script file TELKA.SCR\n";
const std::string kEofShown = "EOF encountered in script file TELKA.SCR";

Input at(int64_t ms, std::function<void()> f) { return Input{ms, std::move(f)}; }
std::function<void()> ctrl(char letter) {
    return [letter] { inject_ctrl_letter(letter); };
}
bool checked(UINT id) { return (GetMenuState(lib.runMenu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

// ---- line forms ----

TEST_F(ScriptReader, PeriodicCountOneGivesOneEvent) {
    write_script("TELKA_PERIODIC(1);\nTELKA_KBD(66);\n");
    Played p = play();
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.kind, TELKA_PERIODIC);
    EXPECT_EQ(lib.periodicCount, 0);
    p = play();
    EXPECT_EQ(p.kind, TELKA_KBD);
    EXPECT_EQ(p.key, 'B');
}

TEST_F(ScriptReader, PeriodicCountFiveGivesFiveEventsThenTheNextLine) {
    write_script("TELKA_PERIODIC(5);\nTELKA_KBD(66);\n");
    for (int i = 0; i < 5; ++i) {
        const Played p = play();
        EXPECT_EQ(p.result, 1) << i;
        EXPECT_EQ(p.kind, TELKA_PERIODIC) << i;
    }
    const Played p = play();
    EXPECT_EQ(p.kind, TELKA_KBD);
    EXPECT_EQ(p.key, 'B');
}

TEST_F(ScriptReader, PeriodicCountZeroGivesOneEvent) {
    write_script("TELKA_PERIODIC(0);\nTELKA_KBD(66);\n");
    Played p = play();
    EXPECT_EQ(p.kind, TELKA_PERIODIC);
    EXPECT_EQ(lib.periodicCount, -1);  // counts as nothing pending
    p = play();
    EXPECT_EQ(p.kind, TELKA_KBD);
    EXPECT_EQ(p.key, 'B');
}

TEST_F(ScriptReader, KeyLinesKeepTheLowEightBits) {
    write_script("TELKA_KBD(65);\nTELKA_KBD(321);\nTELKA_KBD(0);\n");
    EXPECT_EQ(play().key, 'A');
    const Played p = play();
    EXPECT_EQ(p.kind, TELKA_KBD);
    EXPECT_EQ(p.key, 'A');
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(play().key, 0);
}

TEST_F(ScriptReader, MouseLinesCarrySignedCoordinates) {
    write_script("TELKA_MOUSE(-300, 25);\nTELKA_MOUSE(7,-8);\n");
    Played p = play();
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.kind, TELKA_MOUSE);
    EXPECT_EQ(p.x, -300);
    EXPECT_EQ(p.y, 25);
    EXPECT_EQ(p.key, 0);
    p = play();
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, -8);
}

TEST_F(ScriptReader, OnlyTheSeventhCharacterAndTheDigitsCount) {
    write_script("abcdefM{ 1 ;; -2 }junk\n"
                 "______K = 70\n"
                 "xxxxxxP()\n"
                 "TELKA_KBD(-5);\n");
    Played p = play();
    EXPECT_EQ(p.kind, TELKA_MOUSE);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, -2);
    p = play();
    EXPECT_EQ(p.kind, TELKA_KBD);
    EXPECT_EQ(p.key, 'F');
    p = play();  // a missing number reads as 0: one periodic event
    EXPECT_EQ(p.kind, TELKA_PERIODIC);
    EXPECT_EQ(play().key, static_cast<char>(-5));
}

TEST_F(ScriptReader, EmptyLinesAreSkipped) {
    write_script("\n\nTELKA_KBD(65);\n\n\nTELKA_KBD(66);\n\n");
    EXPECT_EQ(play().key, 'A');
    EXPECT_EQ(play().key, 'B');
    EXPECT_EQ(play().result, 0);
    EXPECT_EQ(ring(), std::vector<std::string>{kEofMessage});
}

TEST_F(ScriptReader, LastLineWithoutLineEndIsDropped) {
    write_script("TELKA_KBD(65);\nTELKA_KBD(66);");
    lib.playback = 1;
    CheckMenuItem(lib.runMenu, 6, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_EQ(play().key, 'A');
    EXPECT_EQ(play().result, 0);
    EXPECT_EQ(ring(), std::vector<std::string>{kEofMessage});
    EXPECT_EQ(lib.scriptFile, nullptr);
    EXPECT_EQ(lib.playback, 0);
    EXPECT_FALSE(checked(6));
}

TEST_F(ScriptReader, MissingFileIsReportedAndEndsPlayback) {
    lib.playback = 1;
    lib.playOne = 1;
    CheckMenuItem(lib.runMenu, 6, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_EQ(play().result, 0);
    EXPECT_EQ(ring().front(), "Cannot open script file TELKA.SCR for reading\n");
    EXPECT_EQ(lib.playback, 0);
    EXPECT_EQ(lib.playOne, 0);
    EXPECT_FALSE(checked(6));
}

TEST_F(ScriptReader, CrlfFilesReadLikeLfFiles) {
    auto events = [](const std::string &text) {
        write_script(text);
        std::vector<std::tuple<int, int, int, int, int>> out;
        for (int i = 0; i < 20; ++i) {
            const Played p = play();
            out.emplace_back(p.result, p.kind, p.x, p.y, p.key);
            if (p.result == 0) break;
        }
        script_close();
        return out;
    };
    const std::string lf = "TELKA_MOUSE(1, -2);\nTELKA_KBD(65);\n\nTELKA_PERIODIC(2);\nTELKA_KBD(10);\n";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const auto a = events(lf);
    const auto b = events(crlf);
    EXPECT_EQ(a.size(), 6u);
    EXPECT_EQ(a, b);
}

TEST_F(ScriptReader, HugeNumbersSaturateWithoutOverrun) {
    const std::string digits30(30, '9');
    write_script("TELKA_MOUSE(" + digits30 + ", -" + digits30 + ");\n" + "TELKA_PERIODIC(" + digits30 + ");\n");
    Played p = play();
    EXPECT_EQ(p.kind, TELKA_MOUSE);
    EXPECT_EQ(p.x, INT_MAX);
    EXPECT_EQ(p.y, INT_MIN);
    p = play();
    EXPECT_EQ(p.kind, TELKA_PERIODIC);
    EXPECT_EQ(lib.periodicCount, INT_MAX - 1);
}

TEST_F(ScriptReader, LongLinesAreReadInPiecesOf511) {
    // The first piece is a key line without a number; the rest of the line
    // (its seventh character a digit) stops the playback.
    write_script("TELKA_KBD(" + std::string(600, '1') + ");\nTELKA_KBD(66);\n");
    Played p = play();
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(p.kind, TELKA_KBD);
    p = play();
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(play().key, 'B');  // the file stayed open after the unrecognised piece
}

// ---- playback through the event wait ----

TEST_F(ScriptReader, UnrecognisedLineStopsPlaybackQuietlyAndPlaybackGoesOnAfterIt) {
    write_script("TELKA_KBD(65);\nTELKA_XYZ(1);\nTELKA_KBD(66);\n");
    WaitResult r = wait_event({at(10, ctrl('p'))});
    EXPECT_TRUE(checked(6));
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'A');
    r = wait_event();
    EXPECT_TRUE(r.blocked);  // back to live input
    EXPECT_EQ(lib.playback, 0);
    EXPECT_FALSE(checked(6));
    EXPECT_EQ(ring_shown(), std::vector<std::string>{});
    r = wait_event({at(10, ctrl('p'))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'B');
    r = wait_event();
    EXPECT_TRUE(r.blocked);
    EXPECT_EQ(ring_shown(), std::vector<std::string>{kEofShown});
}

TEST_F(ScriptReader, PlayOneAtTheEndReportsOnceThenStartsAgain) {
    write_script("TELKA_KBD(65);\n");
    WaitResult r = wait_event({at(10, ctrl('o'))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'A');
    EXPECT_EQ(lib.playOne, 0);
    r = wait_event({at(10, ctrl('o'))});
    EXPECT_TRUE(r.blocked);
    EXPECT_EQ(ring_shown(), std::vector<std::string>{kEofShown});
    r = wait_event({at(10, ctrl('o'))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'A');
    EXPECT_EQ(ring().size(), 1u);
    EXPECT_FALSE(checked(7));
}

TEST_F(ScriptReader, PlayOneHaltsAnimation) {
    write_script("TELKA_MOUSE(4, 5);\n");
    TELKA_animate(2);
    const WaitResult r = wait_event({at(10, ctrl('o'))});
    EXPECT_EQ(r.kind, TELKA_MOUSE);
    EXPECT_EQ(r.x, 4);
    EXPECT_EQ(r.y, 5);
    EXPECT_EQ(lib.animating, 0);
    EXPECT_TRUE(wait_event().blocked);
}

TEST_F(ScriptReader, ReplayedPeriodicEventsNeedNoTick) {
    write_script("TELKA_PERIODIC(3);\n");
    SendMessageA(lib.graphicsWnd, WM_COMMAND, 6, 0);
    EXPECT_EQ(lib.animating, 0);
    settle();
    for (int i = 0; i < 3; ++i) {
        const WaitResult r = wait_event({at(5, inject_harmless)});
        EXPECT_EQ(r.kind, TELKA_PERIODIC) << i;
        EXPECT_EQ(r.ended_ms, 5) << i;  // the timer is due only at 50 ms
    }
    EXPECT_TRUE(wait_event().blocked);
    EXPECT_EQ(ring_shown(), std::vector<std::string>{kEofShown});
}

TEST_F(ScriptReader, ReplayedEventTakesThePlaceOfALiveOne) {
    write_script("TELKA_KBD(65);\n");
    SendMessageA(lib.graphicsWnd, WM_COMMAND, 6, 0);
    settle();
    const WaitResult r = wait_event({at(5, [] { inject_click(12, -34); })});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'A');
    // Fields the replayed key does not set keep what the click stored.
    EXPECT_EQ(r.x, 12);
    EXPECT_EQ(r.y, -34);
}

TEST_F(ScriptReader, StoppingPlaybackDropsPendingPeriodicEvents) {
    write_script("TELKA_PERIODIC(5);\nTELKA_KBD(65);\n");
    SendMessageA(lib.graphicsWnd, WM_COMMAND, 6, 0);
    settle();
    WaitResult r = wait_event({at(5, inject_harmless)});
    EXPECT_EQ(r.kind, TELKA_PERIODIC);
    EXPECT_EQ(lib.periodicCount, 4);
    SendMessageA(lib.graphicsWnd, WM_COMMAND, 6, 0);
    EXPECT_EQ(lib.playback, 0);
    EXPECT_FALSE(checked(6));
    EXPECT_EQ(lib.scriptFile, nullptr);
    EXPECT_EQ(lib.periodicCount, 0);

    SendMessageA(lib.graphicsWnd, WM_COMMAND, 6, 0);  // from the first line again
    int periodic = 0;
    for (int i = 0; i < 10; ++i) {
        r = wait_event({at(5, inject_harmless)});
        if (r.kind != TELKA_PERIODIC) break;
        ++periodic;
    }
    EXPECT_EQ(periodic, 5);
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'A');
}

TEST_F(ScriptReader, StartingPlaybackHaltsAnimation) {
    write_script("TELKA_KBD(65);\n");
    TELKA_animate(2);
    lib.singleStep = 1;
    SendMessageA(lib.graphicsWnd, WM_COMMAND, 6, 0);
    EXPECT_EQ(lib.animating, 0);
    EXPECT_EQ(lib.singleStep, 0);
    EXPECT_EQ(lib.playback, 1);
    EXPECT_TRUE(checked(6));
}

}  // namespace
