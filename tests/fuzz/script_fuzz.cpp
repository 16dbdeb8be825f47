// libFuzzer entry for the script reader: any bytes as TELKA.SCR must play
// back without a crash, an overrun, a hang or an event of an unknown kind.
#include <cstdlib>

#include "script_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!script_fuzz_one(data, size)) std::abort();
    return 0;
}
