// The line-input dialog: a modal dialog built in memory from a template at
// every call (prompt, multi-line edit field, "Okay" button), so the library
// needs no resource file.
#include "gets_dialog.h"

#include <cstring>

#include "lib_state.h"
#include "telka.h"
#include "text_util.h"

namespace {

constexpr int kPromptLength = 79;  // the prompt is cut or padded to this
constexpr int kOkayId = 101;
constexpr int kEditId = 102;
constexpr int kPromptId = 103;
constexpr int kResultSize = 256;

enum : WORD { kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082 };

// Writes the template's little pieces into the zero-filled buffer.
struct TemplateWriter {
    unsigned char *base;
    size_t pos = 0;

    void word(WORD w) {
        std::memcpy(base + pos, &w, sizeof w);
        pos += sizeof w;
    }
    // Texts are stored as 16-bit characters, each widened from one byte.
    void text(const char *s, size_t n) {
        for (size_t i = 0; i < n; ++i) word(static_cast<unsigned char>(s[i]));
        word(0);
    }
    void align4() { pos = (pos + 3) & ~size_t{3}; }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const char *title, size_t n) {
        align4();
        DLGITEMTEMPLATE item = {style, 0, x, y, cx, cy, id};
        std::memcpy(base + pos, &item, sizeof item);
        pos += sizeof item;
        word(0xFFFF);
        word(cls);
        text(title, n);
        word(0);  // no creation data
    }
};

}  // namespace

void build_gets_template(unsigned char *buffer, const char *prompt) {
    std::memset(buffer, 0, kGetsTemplateSize);
    TemplateWriter w{buffer};

    DLGTEMPLATE header = {WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 3, 50, 50, 185, 92};
    std::memcpy(buffer, &header, sizeof header);
    w.pos = sizeof header;
    w.word(0);  // no menu
    w.word(0);  // the standard dialog class
    w.text("TELKA_gets", 10);

    w.item(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL, 8, 30, 167, 37, kEditId,
           kEditClass, "", 0);
    w.item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 67, 74, 50, 14, kOkayId, kButtonClass, "Okay", 4);

    char shown[kPromptLength];
    std::memset(shown, ' ', sizeof shown);
    const size_t n = strnlen(prompt, kPromptLength);
    std::memcpy(shown, prompt, n);
    w.item(WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 8, 3, 167, 24, kPromptId, kStaticClass, shown, kPromptLength);
}

INT_PTR CALLBACK gets_dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            lib.getsBuffer = reinterpret_cast<char *>(lParam);
            return 1;
        case WM_COMMAND:
            if (wParam != kOkayId) return 0;
            GetDlgItemTextA(dialog, kEditId, lib.getsBuffer, kResultSize);
            EndDialog(dialog, 1);
            return 1;
        default:
            return 0;
    }
}

int TELKA_gets(const char *prompt, char *result) {
    if (result == nullptr) {
        TELKA_printf("TELKA_gets: no result buffer given; nothing asked\n");
        return 0;
    }
    prompt = text_or_empty(prompt, "TELKA_gets");
    alignas(4) unsigned char buffer[kGetsTemplateSize];
    build_gets_template(buffer, prompt);
    const INT_PTR r = DialogBoxIndirectParamA(lib.dialogInstance, reinterpret_cast<LPCDLGTEMPLATEA>(buffer),
                                              lib.graphicsWnd, gets_dialog_proc, reinterpret_cast<LPARAM>(result));
    // -1: the dialog could not be created; 0: its owner is gone (the user
    // closed the graphics window), so nothing was shown. Only the Okay
    // button's EndDialog(1) is a confirmed line.
    return r > 0 ? 1 : 0;
}
