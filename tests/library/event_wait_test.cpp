// The event wait and the graphics window's input and commands: blocking while
// halted, periodic events paced by the timer, single steps, clicks and keys
// (with and without Ctrl, from either window), the three ways to quit,
// TELKA_animate and TELKA_logging, and the copy of a dirty back buffer.
#include "library_fixture.h"

using namespace libtest;

namespace {

class EventWait : public LibraryTest {};

Input at(int64_t ms, std::function<void()> f) { return Input{ms, std::move(f)}; }
std::function<void()> ctrl(char letter) {
    return [letter] { inject_ctrl_letter(letter); };
}
std::function<void()> type(const char *text) {
    return [text] { standin::headless_type_text(text); };
}
std::function<void()> command(WPARAM id) {
    return [id] { PostMessageA(lib.graphicsWnd, WM_COMMAND, id, 0); };
}

bool checked(UINT id) { return (GetMenuState(lib.runMenu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

// ---- animation states ----

TEST_F(EventWait, HaltedWaitBlocksUntilInput) {
    const WaitResult r = wait_event({}, 5000);
    EXPECT_TRUE(r.blocked) << "no periodic event may come before animation starts";
    EXPECT_EQ(r.kind, TELKA_MOUSE);
    EXPECT_EQ(r.x, kSentinelX);
    EXPECT_EQ(r.y, kSentinelY);
}

TEST_F(EventWait, RunningWaitsReturnPeriodicEventsOneTickApart) {
    EXPECT_EQ(TELKA_animate(2), 1);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const WaitResult r = wait_event();
        EXPECT_FALSE(r.blocked);
        EXPECT_EQ(r.kind, TELKA_PERIODIC);
        EXPECT_EQ(r.x, 0);
        EXPECT_EQ(r.y, 0);
        EXPECT_EQ(r.key, 0);
        EXPECT_EQ(r.ended_ms, 50);
    }
}

TEST_F(EventWait, RecordFormFillsEveryField) {
    TELKA_animate(2);
    EventRecord rec{111, 222, 'z'};
    EXPECT_EQ(TELKA_await_event_rec(&rec), TELKA_PERIODIC);
    EXPECT_EQ(rec.x, 0);
    EXPECT_EQ(rec.y, 0);
    EXPECT_EQ(rec.key, 0);
}

TEST_F(EventWait, CtrlFWhileHaltedGivesExactlyOnePeriodicEvent) {
    WaitResult r = wait_event({at(10, ctrl('f'))});
    EXPECT_FALSE(r.blocked);
    EXPECT_EQ(r.kind, TELKA_PERIODIC);
    EXPECT_EQ(r.ended_ms, 50);  // at the next tick
    EXPECT_EQ(lib.animating, 0);
    r = wait_event();
    EXPECT_TRUE(r.blocked);
}

TEST_F(EventWait, AnimateOneGivesExactlyOnePeriodicEvent) {
    EXPECT_EQ(TELKA_animate(1), 1);
    WaitResult r = wait_event();
    EXPECT_EQ(r.kind, TELKA_PERIODIC);
    EXPECT_FALSE(r.blocked);
    r = wait_event();
    EXPECT_TRUE(r.blocked);
}

TEST_F(EventWait, CtrlFWhileRunningHaltsAfterOneMoreStep) {
    TELKA_animate(2);
    // The periodic event is prepared (harmless message) before Ctrl+F comes.
    WaitResult r = wait_event({at(10, inject_harmless), at(20, ctrl('f'))});
    EXPECT_EQ(r.kind, TELKA_PERIODIC);
    EXPECT_EQ(lib.animating, 0);
    r = wait_event();
    EXPECT_EQ(r.kind, TELKA_PERIODIC);
    EXPECT_FALSE(r.blocked);
    r = wait_event();
    EXPECT_TRUE(r.blocked);
}

// The other order: Ctrl+F is the first message of a running wait, before it
// has prepared its periodic event. That event is the single step itself, so
// none follows it.
TEST_F(EventWait, CtrlFWhileRunningBeforeAnEventIsPreparedGivesNoMore) {
    TELKA_animate(2);
    standin::headless_key_down(VK_CONTROL, standin::kKeyControl);
    settle();
    ASSERT_EQ(lib.ctrlDown, 1);
    bool unprepared = false;
    WaitResult r = wait_event({at(10, [&] {
        unprepared = lib.eventKind == kNoEvent;
        standin::headless_key_press('F', standin::kKeyControl);
    })});
    EXPECT_TRUE(unprepared);
    EXPECT_EQ(r.kind, TELKA_PERIODIC);
    EXPECT_EQ(r.ended_ms, 50);
    EXPECT_EQ(lib.animating, 0);
    r = wait_event({at(10, [] { standin::headless_key_up(VK_CONTROL, 0); })}, 500);
    EXPECT_TRUE(r.blocked);
}

TEST_F(EventWait, ClickBeforeTheTickBeatsAPreparedPeriodicEvent) {
    TELKA_animate(2);
    bool prepared = false;
    const WaitResult r = wait_event({at(10, inject_harmless), at(20, [&] {
                                         prepared = lib.eventKind == TELKA_PERIODIC && lib.timerFired == 0;
                                         inject_click(12, -34);
                                     })});
    EXPECT_TRUE(prepared);
    EXPECT_EQ(r.kind, TELKA_MOUSE);
    EXPECT_EQ(r.x, 12);
    EXPECT_EQ(r.y, -34);
    EXPECT_EQ(r.key, 0);
    EXPECT_EQ(r.ended_ms, 20);
}

// ---- keys ----

TEST_F(EventWait, CtrlHeldSuppressesCharacters) {
    // Ctrl+B is no command; its control character must not become an event.
    WaitResult r = wait_event({at(10, ctrl('b'))});
    EXPECT_TRUE(r.blocked);
    // A character typed while Ctrl is down is dropped; after the key-up it counts.
    r = wait_event({at(10, [] { standin::headless_key_down(VK_CONTROL, standin::kKeyControl); }), at(20, type("x")),
                    at(30, [] { standin::headless_key_up(VK_CONTROL, 0); }), at(40, type("y"))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'y');
    EXPECT_EQ(r.ended_ms, 40);
}

TEST_F(EventWait, CtrlReleasedElsewhereKeepsCharactersSuppressed) {
    // The key-up of Ctrl happens while neither window has the focus.
    WaitResult r = wait_event({at(10, [] { standin::headless_key_down(VK_CONTROL, standin::kKeyControl); }),
                               at(20, [] { standin::headless_focus(lib.graphicsWnd, false); }),
                               at(30, [] { standin::headless_key_up(VK_CONTROL, 0); }),
                               at(40, [] { standin::headless_focus(lib.graphicsWnd, true); }),
                               at(50, type("x"))},
                              500);
    EXPECT_TRUE(r.blocked);
    EXPECT_EQ(lib.ctrlDown, 1);
    // Pressing and releasing Ctrl over the window ends it.
    r = wait_event({at(10, [] { standin::headless_key_press(VK_CONTROL, standin::kKeyControl); }), at(20, type("y"))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'y');
}

TEST_F(EventWait, LettersWithoutCtrlAreKeyEvents) {
    WaitResult r = wait_event({at(10, type("a"))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'a');
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    r = wait_event({at(10, type("A"))});  // with Shift
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'A');
    EXPECT_EQ(lib.animating, 0);
}

TEST_F(EventWait, CtrlAStartsAndCtrlHHalts) {
    WaitResult r = wait_event({at(10, ctrl('a'))});
    EXPECT_EQ(r.kind, TELKA_PERIODIC);  // no KBD for the control character
    EXPECT_EQ(lib.animating, 1);
    r = wait_event();
    EXPECT_EQ(r.kind, TELKA_PERIODIC);
    r = wait_event({at(10, type("h"))});  // H alone is a key, not a command
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'h');
    EXPECT_EQ(lib.animating, 1);

    r = wait_event({at(10, ctrl('h'))});
    EXPECT_EQ(lib.animating, 0);
    r = wait_event();
    EXPECT_TRUE(r.blocked);
    r = wait_event({at(10, type("a"))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'a');
    EXPECT_EQ(lib.animating, 0);
}

// The key-down handler matches each command letter's small-letter code too
// ('a' 0x61 ... 'r' 0x72), with Ctrl down and only then. Characters never
// carry commands: with Ctrl down a letter or its control code does nothing.
TEST_F(EventWait, CommandLettersAnswerToTheirSmallLetterCodes) {
    const HWND w = lib.graphicsWnd;
    auto key = [w](WPARAM code) { SendMessageA(w, WM_KEYDOWN, code, 0); };
    key(0x61);
    EXPECT_EQ(lib.animating, 0) << "no Ctrl";
    key(VK_CONTROL);
    key(0x61);
    EXPECT_EQ(lib.animating, 1);
    key(0x68);
    EXPECT_EQ(lib.animating, 0);
    key(0x66);
    EXPECT_EQ(lib.singleStep, 1);
    key(0x6C);
    EXPECT_EQ(lib.logging, 0);
    key(0x6F);
    EXPECT_EQ(lib.playOne, 1);
    key(0x72);
    EXPECT_EQ(lib.recording, 1);
    key(0x72);
    EXPECT_EQ(lib.recording, 0);
    key(0x70);
    EXPECT_EQ(lib.playback, 1);
    key(0x70);
    EXPECT_EQ(lib.playback, 0);

    lib.eventKind = kNoEvent;
    for (WPARAM c : {WPARAM{'a'}, WPARAM{'q'}, WPARAM{1}, WPARAM{17}}) SendMessageA(w, WM_CHAR, c, 0);
    EXPECT_EQ(lib.eventKind, kNoEvent);
    EXPECT_EQ(lib.animating, 0);

    key(0x71);
    EXPECT_EQ(wait_event().kind, TELKA_QUIT);
}

// The student's layout decides the character, in Windows-1252; one it
// lacks is said in the text window and gives no event.
TEST_F(EventWait, TheLayoutsCharacterIsTheKeyAndOneWithoutAByteIsSaid) {
    auto typed = [](int vk, int32_t ch) {
        return [vk, ch] {
            standin::InputEvent e;
            e.kind = standin::InputEvent::Kind::KeyDown;
            e.vk = vk;
            e.typed = ch;
            standin::headless_inject(e);
            standin::headless_key_up(vk);
        };
    };
    WaitResult r = wait_event({at(10, typed('2', 0xE9))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(static_cast<unsigned char>(r.key), 233);
    clear_ring();
    r = wait_event({at(10, typed('R', 0x159))}, 500);
    EXPECT_TRUE(r.blocked);
    ASSERT_EQ(ring_shown().size(), 1u);
    EXPECT_NE(ring_shown()[0].find("U+0159"), std::string::npos) << ring_shown()[0];
}

TEST_F(EventWait, KeysTypedInTheTextWindowReachTheApplication) {
    SetFocus(lib.textWnd);
    ASSERT_EQ(GetFocus(), lib.textWnd);
    WaitResult r = wait_event({at(10, type("k"))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'k');
    r = wait_event({at(10, type("K"))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 'K');
    r = wait_event({at(10, ctrl('b'))}, 500);
    EXPECT_TRUE(r.blocked);
    ASSERT_EQ(GetFocus(), lib.textWnd);
    r = wait_event({at(10, ctrl('a'))});
    EXPECT_EQ(r.kind, TELKA_PERIODIC);
    EXPECT_EQ(lib.animating, 1);
}

TEST_F(EventWait, ClickCoordinatesAreCentredWithYUp) {
    auto client_click = [](int x, int y) { return [x, y] { standin::headless_click(lib.graphicsWnd, x, y); }; };
    WaitResult r = wait_event({at(10, client_click(0, 0))});
    EXPECT_EQ(r.kind, TELKA_MOUSE);
    EXPECT_EQ(r.x, -lib.originX);
    EXPECT_EQ(r.y, lib.originY);
    EXPECT_EQ(r.key, 0);
    r = wait_event({at(10, client_click(300, 260))});
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    r = wait_event({at(10, client_click(600, 0))});
    EXPECT_EQ(r.x, 300);
    EXPECT_EQ(r.y, 260);
}

// ---- quitting ----

TEST_F(EventWait, QuitMenuCommandEndsTheWaitWithQuit) {
    TELKA_animate(2);
    const WaitResult r = wait_event({at(10, command(8))});
    EXPECT_FALSE(r.blocked);
    EXPECT_EQ(r.kind, TELKA_QUIT);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.key, 0);
    EXPECT_EQ(r.ended_ms, 10);
}

TEST_F(EventWait, CtrlQEndsTheWaitWithQuit) {
    const WaitResult r = wait_event({at(10, ctrl('q'))});
    EXPECT_FALSE(r.blocked);
    EXPECT_EQ(r.kind, TELKA_QUIT);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.key, 0);
}

TEST_F(EventWait, ClosingTheGraphicsWindowEndsTheWaitWithQuit) {
    const WaitResult r = wait_event({at(10, [] { standin::headless_close_request(lib.graphicsWnd); })});
    EXPECT_FALSE(r.blocked);
    EXPECT_EQ(r.kind, TELKA_QUIT);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.key, 0);
    EXPECT_FALSE(IsWindow(lib.graphicsWnd));
}

TEST_F(EventWait, AfterAnimateFiveEveryWaitWaitsAndReturnsQuit) {
    EXPECT_EQ(TELKA_animate(5), 1);
    WaitResult r = wait_event();
    EXPECT_TRUE(r.blocked);  // it still waits for an event
    EXPECT_EQ(r.kind, TELKA_QUIT);
    r = wait_event({at(10, type("z"))});
    EXPECT_EQ(r.kind, TELKA_QUIT);
    EXPECT_EQ(r.key, 'z');  // the fields of the event that ended the wait
    TELKA_animate(2);
    r = wait_event();
    EXPECT_FALSE(r.blocked);
    EXPECT_EQ(r.kind, TELKA_QUIT);
}

TEST_F(EventWait, ClosingTheTextWindowDoesNotQuit) {
    WaitResult r = wait_event({at(10, [] { standin::headless_close_request(lib.textWnd); }), at(20, type("t"))});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_EQ(r.key, 't');
    EXPECT_FALSE(IsWindow(lib.textWnd));
    EXPECT_TRUE(IsWindow(lib.graphicsWnd));
    // Lines are still stored, and switching logging on is harmless.
    EXPECT_EQ(TELKA_printf("after %d", 1), 7);
    EXPECT_EQ(ring_shown().back(), "after 1");
    EXPECT_EQ(TELKA_logging(1), 1);
    TELKA_animate(2);
    r = wait_event();
    EXPECT_EQ(r.kind, TELKA_PERIODIC);
}

// ---- TELKA_animate and TELKA_logging ----

TEST_F(EventWait, AnimateCodesOutsideTheTableChangeNothing) {
    struct State {
        uint8_t animating, singleStep;
    };
    for (State s : {State{1, 0}, State{0, 1}, State{0, 0}}) {
        for (int code : {3, 4, -1, 6, 100}) {
            lib.animating = s.animating;
            lib.singleStep = s.singleStep;
            EXPECT_EQ(TELKA_animate(code), 1) << code;
            EXPECT_EQ(lib.animating, s.animating) << code;
            EXPECT_EQ(lib.singleStep, s.singleStep) << code;
            EXPECT_EQ(lib.quitRequested, 0) << code;
        }
    }
    lib.animating = 1;
    lib.singleStep = 0;
    TELKA_animate(1);  // a step leaves running as it was
    EXPECT_EQ(lib.animating, 1);
    EXPECT_EQ(lib.singleStep, 1);
    TELKA_animate(0);  // halting also cancels the pending step
    EXPECT_EQ(lib.animating, 0);
    EXPECT_EQ(lib.singleStep, 0);
    EXPECT_EQ(wait_event().blocked, true);
}

TEST_F(EventWait, CtrlLTogglesLoggingAndItsCheckButNotTheTextWindow) {
    ShowWindow(lib.textWnd, SW_HIDE);
    WaitResult r = wait_event({at(10, ctrl('l'))});
    EXPECT_TRUE(r.blocked);
    EXPECT_EQ(lib.logging, 0);
    EXPECT_FALSE(checked(4));
    EXPECT_FALSE(IsWindowVisible(lib.textWnd));
    r = wait_event({at(10, ctrl('l'))});
    EXPECT_EQ(lib.logging, 1);
    EXPECT_TRUE(checked(4));
    EXPECT_FALSE(IsWindowVisible(lib.textWnd));

    ShowWindow(lib.textWnd, SW_SHOWNORMAL);
    r = wait_event({at(10, command(4))});
    EXPECT_EQ(lib.logging, 0);
    EXPECT_FALSE(checked(4));
    EXPECT_TRUE(IsWindowVisible(lib.textWnd));
}

TEST_F(EventWait, LoggingSwitchShowsTheTextWindowButNeverHidesIt) {
    ShowWindow(lib.textWnd, SW_HIDE);
    EXPECT_EQ(TELKA_logging(0), 1);
    EXPECT_EQ(lib.logging, 0);
    EXPECT_FALSE(checked(4));
    EXPECT_FALSE(IsWindowVisible(lib.textWnd));
    EXPECT_EQ(TELKA_logging(1), 1);
    EXPECT_EQ(lib.logging, 1);
    EXPECT_TRUE(checked(4));
    EXPECT_TRUE(IsWindowVisible(lib.textWnd));
    EXPECT_EQ(TELKA_logging(0), 1);
    EXPECT_FALSE(checked(4));
    EXPECT_TRUE(IsWindowVisible(lib.textWnd));
    EXPECT_EQ(TELKA_logging(7), 1);  // any non-zero value switches it on
    EXPECT_EQ(lib.logging, 1);
    EXPECT_TRUE(checked(4));
}

TEST_F(EventWait, GreyedItemsAndUnknownCommandsDoNothing) {
    for (WPARAM id : {WPARAM{9}, WPARAM{0}, WPARAM{10}, WPARAM{0x10001}}) {
        SCOPED_TRACE(id);
        const WaitResult r = wait_event({at(10, command(id))}, 300);
        EXPECT_TRUE(r.blocked);
        EXPECT_EQ(lib.animating, 0);
        EXPECT_EQ(lib.singleStep, 0);
        EXPECT_EQ(lib.logging, 1);
        EXPECT_EQ(lib.recording, 0);
        EXPECT_EQ(lib.playback, 0);
        EXPECT_EQ(lib.playOne, 0);
        EXPECT_EQ(lib.quitRequested, 0);
        EXPECT_TRUE(checked(4));
        EXPECT_FALSE(checked(5));
        EXPECT_FALSE(checked(6));
        EXPECT_TRUE(IsWindow(lib.graphicsWnd));
    }
}

// ---- showing the back buffer ----

// Shown before the wait blocks, not only after the first message it pumps:
// otherwise a frame waits for the next timer tick to reach the screen.
TEST_F(EventWait, DirtyBackBufferReachesTheWindowBeforeTheWaitBlocks) {
    TELKA_logging(0);
    settle();
    ASSERT_EQ(lib.backBufferDirty, 0);
    TELKA_rectangle(TELKA_BLUE, -50, 40, 50, -40, 0);
    ASSERT_EQ(lib.backBufferDirty, 1);
    ASSERT_NE(client_pixel(300, 260), RGB(0, 0, 255));

    bool shown_early = false;
    const WaitResult r = wait_event({at(10, [&] {
        shown_early = client_pixel(300, 260) == RGB(0, 0, 255) && lib.backBufferDirty == 0;
        standin::headless_type_text("x");
    })});
    EXPECT_EQ(r.kind, TELKA_KBD);
    EXPECT_TRUE(shown_early);

    standin::PixelView view;
    ASSERT_TRUE(standin::window_client_pixels(lib.graphicsWnd, &view));
    ASSERT_EQ(view.width, 601);
    ASSERT_EQ(view.height, 520);
    int mismatches = 0;
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) {
            const uint32_t p = view.at(x, y);
            if (RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) != device_pixel(x, y)) ++mismatches;
        }
    EXPECT_EQ(mismatches, 0);
}

// Painting copies the whole back buffer to the window, as it stands, and
// leaves it clean; no event wait is involved.
TEST_F(EventWait, PaintCopiesTheBackBufferAndClearsTheDirtyFlag) {
    TELKA_logging(0);
    settle();
    TELKA_rectangle(TELKA_BLUE, -50, 40, 50, -40, 0);
    ASSERT_EQ(lib.backBufferDirty, 1);
    ASSERT_NE(client_pixel(300, 260), RGB(0, 0, 255));
    InvalidateRect(lib.graphicsWnd, nullptr, FALSE);
    bool painted = false;
    settle([&](const MSG &m) { painted = painted || (m.message == WM_PAINT && m.hwnd == lib.graphicsWnd); });
    EXPECT_TRUE(painted);
    EXPECT_EQ(lib.backBufferDirty, 0);
    EXPECT_EQ(client_pixel(300, 260), RGB(0, 0, 255));
    EXPECT_EQ(client_pixel(349, 299), RGB(0, 0, 255));
    EXPECT_EQ(client_pixel(351, 260), device_pixel(351, 260));
}

}  // namespace
