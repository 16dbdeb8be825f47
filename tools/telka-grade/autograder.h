// The marking service's autograder zip: setup.sh (the Debian packages a
// submission needs, then the expected runs made on the service's machine),
// run_autograder (telka-grade --one on the submission), the tests and the
// installed library beside this telka-grade.
#pragma once

#include "suite.h"

#include <string>

// Writes zip; false with a message on stderr when it cannot.
bool make_autograder(const TestSuite &suite, const std::string &zip);

// telka-grade's own folder (where telka-run is looked for first).
std::string own_folder();
