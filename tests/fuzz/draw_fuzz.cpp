// libFuzzer entry for the drawing operations: any operation with any int32
// arguments and any text must draw, clip or refuse without a crash, an
// overrun or a hang, and return what telka.h promises.
#include <cstdlib>

#include "draw_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!draw_fuzz_one(data, size)) std::abort();
    return 0;
}
