// telka.h in C++: compiled with -std=c++17 -pedantic -Werror.
#include "telka.h"

#include <string>

int main() {
    const std::string greeting = "from C++";
    TELKA_open();
    TELKA_printf("%s", greeting.c_str());
    EventRecord rec{};
    while (TELKA_await_event_rec(&rec) != TELKA_QUIT) {
    }
    TELKA_close();
    return 0;
}
