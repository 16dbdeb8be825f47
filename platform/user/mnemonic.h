// '&' mnemonic prefixes of menu, button and static texts, read one way for
// drawing and for keyboard matching: a single '&' marks the character after
// it (the first marker wins), "&&" shows one '&', a trailing '&' shows nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace standin {

struct MnemonicText {
    std::string text;                      // as shown: markers removed
    size_t underline = std::string::npos;  // index in `text` of the marked character
};
MnemonicText strip_mnemonic(std::string_view label);

// The marked character in lower case, or 0.
char mnemonic_char(std::string_view label);

}  // namespace standin
