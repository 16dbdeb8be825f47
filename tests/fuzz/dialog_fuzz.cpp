// libFuzzer entry for the dialog manager: any bytes as a dialog template must
// give a dialog that runs to its end or a refusal, never a crash, an overrun
// or a hang.
#include <cstdlib>

#include "dialog_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!dialog_fuzz_one(data, size)) std::abort();
    return 0;
}
