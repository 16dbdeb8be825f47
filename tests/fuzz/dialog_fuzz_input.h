// One fuzz input through DialogBoxIndirectParamA, shared by the libFuzzer
// target and the corpus replay test of the regular suite.
#pragma once

#include <cstddef>
#include <cstdint>

// The first byte chooses how the dialog is run (see kDialogFuzz*), the rest
// is the template. It is copied to the start of a heap block of exactly the
// template reader's limit, the rest filled with zeros or with UTF-16 spaces,
// so that a read past the limit is an overrun the sanitizer sees. The dialog ends in
// WM_INITDIALOG, or after its first paint and an injected key, on a timer.
// Unless the size bits ask for the template's own size, the header's width
// and height are cut to below 128 dialog units either way and the font to
// below 32 points: a surface of 4096 x 4096 pixels costs a hundred times
// more than the rest of a run.
// Selects the headless backend on first use. Returns false if the dialog
// neither ran to its end nor was refused (-1), left a window behind, or
// left its owner disabled.
bool dialog_fuzz_one(const uint8_t *data, size_t size);

enum : uint8_t {
    kDialogFuzzRunLoop = 1 << 0,    // end on a timer, after painting and a key
    kDialogFuzzOwner = 1 << 1,      // an owner window, disabled while the dialog runs
    kDialogFuzzPadSpaces = 1 << 2,  // U+0020 after the template: strings never end
    kDialogFuzzKeyShift = 3,        // bits 3-5: the key pressed in the loop
    kDialogFuzzSizeShift = 6,       // bits 6-7: 3 keeps the template's sizes
};
