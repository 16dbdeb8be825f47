// Shared by the dialog tests: a writer of in-memory dialog templates, a
// recording dialog procedure, and a driver that runs scripted steps each time
// the dialog's modal loop would block (through the headless wait and idle
// hooks), so tests act while DialogBoxIndirectParamA runs.
#pragma once

#include "window_recorder.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dialog_test {

// Writes a template byte by byte, as an application would build one in memory.
class TemplateWriter {
public:
    void header(DWORD style, WORD count, short x, short y, short cx, short cy, DWORD ex_style = 0);
    void word(WORD w);
    void dword(DWORD d);
    // UTF-16 text widened from Latin-1 bytes, with its terminating zero.
    void text(const std::string &s);
    void units(const std::u16string &s);  // raw UTF-16, terminated
    void align4();
    // The three arrays after the header: no menu, the standard class, a title.
    void plain_arrays(const std::string &title);
    // A control with an ordinal class and a text title, no creation data.
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD class_ordinal, const std::string &title,
              DWORD ex_style = 0);
    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t> &bytes() const { return bytes_; }
    // The template in a DWORD-aligned heap block of exactly its size (padded
    // to `total` zero bytes when larger), so that ASan sees any read past it.
    std::vector<uint32_t> aligned() const;
    std::vector<uint8_t> exact(size_t total = 0) const;

private:
    std::vector<uint8_t> bytes_;
};

// A dialog procedure that records what it receives; a per-test handler may
// answer (a value: that return), else WM_INITDIALOG returns TRUE and the rest 0.
using DialogHandler = std::function<std::optional<INT_PTR>(HWND, UINT, WPARAM, LPARAM)>;
struct DialogLog {
    HWND dialog = nullptr;  // set on the first message
    std::vector<user_test::Record> records;
    DialogHandler handler;
};
DialogLog &dialog_log();
INT_PTR CALLBACK recording_dialog_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// wParams of the WM_COMMAND messages with notification 0 (clicks, Enter,
// Escape; not the edit controls' notifications) that the dialog procedure
// received, in order.
std::vector<WPARAM> commands();

// Steps run one per blocking wait of the modal loop. When they run out the
// dialog is ended with kUnfinished and the test fails, so a test can never
// hang the run.
constexpr INT_PTR kUnfinished = -77;
using Step = std::function<void(HWND dialog)>;
void drive(std::vector<Step> steps);
// Steps that have not run yet when the dialog returned.
size_t steps_left();

// A step that lets one wait go by (the clock jumps to the next timer).
Step idle();
// A step that types text (headless_type_text) into the focus window.
Step type(const char *text);
Step press(int vk, unsigned mods = 0);

class DialogTest : public user_test::UserTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A shown "Rec" top-level window to own dialogs, moved to (x, y).
    HWND owner(int x = 200, int y = 100);
    // Runs the dialog with recording_dialog_proc and the given steps.
    INT_PTR run(const std::vector<uint32_t> &tmpl, HWND owner, std::vector<Step> steps, LPARAM param = 0);
};

}  // namespace dialog_test
