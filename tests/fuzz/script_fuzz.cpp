// libFuzzer entry for the script reader: any bytes as TELKA.SCR must play
// back without a crash, an overrun, a hang or an event of an unknown kind.
// The target changes the working directory (the reader opens TELKA.SCR by
// that relative name), so corpus and artifact paths must be absolute.
#include <cstdlib>

#include "script_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!script_fuzz_one(data, size)) std::abort();
    return 0;
}
