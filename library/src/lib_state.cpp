// The library's state record, the process entry that hands control to the
// application, and opening and closing the library.
#include "lib_state.h"

#include "telka.h"

LibState lib;
