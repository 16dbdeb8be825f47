// telka.h in C++: compiled with -std=c++17 -pedantic -Werror.
#include "telka.h"

#include <string>

int main() {
    const std::string greeting = "from C++";
    TELKA_open();
    TELKA_printf("%s", greeting.c_str());
    TELKA_triangle_pt(TELKA_RED, Point{0, 0}, Point{1, 0}, Point{0, 1}, 0);
    TELKA_text(TELKA_BLUE, 0, 0, 12, greeting.c_str());
    EventRecord rec{};
    while (TELKA_await_event_rec(&rec) != TELKA_QUIT) {
    }
    TELKA_close();
    return 0;
}
