// The dialog tests' helpers: template writer, recording dialog procedure and
// the step driver on the headless backend's hooks.
#include "dialog_test_support.h"

#include <cstring>
#include <deque>
#include <memory>

namespace dialog_test {

// ---- TemplateWriter ----

void TemplateWriter::header(DWORD style, WORD count, short x, short y, short cx, short cy, DWORD ex_style) {
    dword(style);
    dword(ex_style);
    word(count);
    word(static_cast<WORD>(x));
    word(static_cast<WORD>(y));
    word(static_cast<WORD>(cx));
    word(static_cast<WORD>(cy));
}

void TemplateWriter::word(WORD w) {
    bytes_.push_back(static_cast<uint8_t>(w & 0xFF));
    bytes_.push_back(static_cast<uint8_t>(w >> 8));
}

void TemplateWriter::dword(DWORD d) {
    word(static_cast<WORD>(d & 0xFFFF));
    word(static_cast<WORD>(d >> 16));
}

void TemplateWriter::text(const std::string &s) {
    for (unsigned char c : s) word(c);
    word(0);
}

void TemplateWriter::units(const std::u16string &s) {
    for (char16_t c : s) word(static_cast<WORD>(c));
    word(0);
}

void TemplateWriter::align4() {
    while (bytes_.size() % 4) bytes_.push_back(0);
}

void TemplateWriter::plain_arrays(const std::string &title) {
    word(0);
    word(0);
    text(title);
}

void TemplateWriter::item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD class_ordinal,
                          const std::string &title, DWORD ex_style) {
    align4();
    dword(style);
    dword(ex_style);
    word(static_cast<WORD>(x));
    word(static_cast<WORD>(y));
    word(static_cast<WORD>(cx));
    word(static_cast<WORD>(cy));
    word(id);
    word(0xFFFF);
    word(class_ordinal);
    text(title);
    word(0);
}

std::vector<uint32_t> TemplateWriter::aligned() const {
    std::vector<uint32_t> out((bytes_.size() + 3) / 4, 0);
    std::memcpy(out.data(), bytes_.data(), bytes_.size());
    return out;
}

std::vector<uint8_t> TemplateWriter::exact(size_t total) const {
    std::vector<uint8_t> out(bytes_);
    if (total > out.size()) out.resize(total, 0);
    return out;
}

// ---- recording dialog procedure ----

DialogLog &dialog_log() {
    static DialogLog log;
    return log;
}

INT_PTR CALLBACK recording_dialog_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    DialogLog &log = dialog_log();
    if (!log.dialog) log.dialog = hwnd;
    log.records.push_back(user_test::Record{hwnd, msg, wParam, lParam});
    if (log.handler) {
        DialogHandler h = log.handler;
        if (std::optional<INT_PTR> r = h(hwnd, msg, wParam, lParam)) return *r;
    }
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

std::vector<WPARAM> commands() {
    std::vector<WPARAM> out;
    for (const user_test::Record &r : dialog_log().records)
        if (r.msg == WM_COMMAND && HIWORD(r.wParam) == BN_CLICKED) out.push_back(r.wParam);
    return out;
}

// ---- driver ----

namespace {

struct Driver {
    std::deque<Step> steps;
};

std::shared_ptr<Driver> &driver() {
    static std::shared_ptr<Driver> d;
    return d;
}

void step_once() {
    std::shared_ptr<Driver> d = driver();
    HWND dlg = dialog_log().dialog;
    if (!d) return;
    if (d->steps.empty()) {
        if (dlg && IsWindow(dlg) && EndDialog(dlg, kUnfinished)) ADD_FAILURE() << "the dialog outlived its steps";
        return;
    }
    Step s = std::move(d->steps.front());
    d->steps.pop_front();
    s(dlg);
}

}  // namespace

void drive(std::vector<Step> steps) {
    auto d = std::make_shared<Driver>();
    for (Step &s : steps) d->steps.push_back(std::move(s));
    driver() = d;
    standin::headless_set_wait_hook([](int64_t deadline) {
        if (deadline >= 0) step_once();  // waits without deadline go to the idle hook
    });
    standin::headless_set_idle_hook([] {
        step_once();
        return true;
    });
}

size_t steps_left() { return driver() ? driver()->steps.size() : 0; }

Step idle() {
    return [](HWND) {};
}

Step type(const char *text) {
    const std::string copy = text;
    return [copy](HWND) { EXPECT_TRUE(standin::headless_type_text(copy.c_str())); };
}

Step press(int vk, unsigned mods) {
    return [vk, mods](HWND) { standin::headless_key_press(vk, mods); };
}

// ---- fixture ----

void DialogTest::SetUp() {
    UserTest::SetUp();
    dialog_log() = DialogLog{};
    driver() = nullptr;
}

void DialogTest::TearDown() {
    standin::headless_set_wait_hook(nullptr);
    standin::headless_set_idle_hook(nullptr);
    driver() = nullptr;
    dialog_log() = DialogLog{};
    UserTest::TearDown();
}

HWND DialogTest::owner(int x, int y) {
    HWND h = top();
    MoveWindow(h, x, y, 601, 540, FALSE);
    ShowWindow(h, SW_SHOW);
    return h;
}

INT_PTR DialogTest::run(const std::vector<uint32_t> &tmpl, HWND owner_window, std::vector<Step> steps,
                        LPARAM param) {
    dialog_log().dialog = nullptr;
    dialog_log().records.clear();
    drive(std::move(steps));
    const INT_PTR r = DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()), owner_window,
                                              recording_dialog_proc, param);
    standin::headless_set_wait_hook(nullptr);
    standin::headless_set_idle_hook(nullptr);
    return r;
}

}  // namespace dialog_test
