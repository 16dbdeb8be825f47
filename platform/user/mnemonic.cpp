// Reading '&' mnemonic prefixes (mnemonic.h): one pass over the label's bytes.
#include "user/mnemonic.h"

#include <cctype>

namespace standin {

MnemonicText strip_mnemonic(std::string_view label) {
    MnemonicText out;
    out.text.reserve(label.size());
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] != '&') {
            out.text += label[i];
            continue;
        }
        if (i + 1 >= label.size()) break;  // a trailing '&' marks nothing
        if (label[i + 1] != '&' && out.underline == std::string::npos) out.underline = out.text.size();
        out.text += label[++i];  // the marked character, or the second '&' of "&&"
    }
    return out;
}

char mnemonic_char(std::string_view label) {
    const MnemonicText t = strip_mnemonic(label);
    if (t.underline == std::string::npos) return 0;
    return static_cast<char>(std::tolower(static_cast<unsigned char>(t.text[t.underline])));
}

}  // namespace standin
