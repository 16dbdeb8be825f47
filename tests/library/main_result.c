/* An application whose main returns 7: the library's WinMain must hand that
 * result on, so the process exits with status 7. Nothing else runs: the
 * library is never opened. */
#include "telka.h"

int main(void) { return 7; }
