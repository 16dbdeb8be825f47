/* The program the steered-run tests run (the STANDIN_HEADLESS_ variables set
 * by hand): one drawing call logged and one not, a text with a tab and a
 * backslash, two printed lines shaped like the library's announcements; with PROBE_ASK=N it asks N lines with TELKA_gets and prints
 * them; with PROBE_CLOCK it animates and prints the C library's clocks at
 * its first 25 periodic events. Then it waits for events until quit or 'q'. */
#define _POSIX_C_SOURCE 200809L
#include <stdlib.h>
#include <sys/time.h>
#include <time.h>

#include "telka.h"

static long long ns_of(clockid_t id)
{
    struct timespec ts;
    if (clock_gettime(id, &ts) != 0)
        return -1;
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

static void print_clocks(int n)
{
    struct timeval tv;
    gettimeofday(&tv, NULL);
    TELKA_printf("clocks %d: time %lld real %lld mono %lld boot %lld cpu %lld thread %lld tod %lld.%06ld clock %ld", n,
                 (long long)time(NULL), ns_of(CLOCK_REALTIME), ns_of(CLOCK_MONOTONIC), ns_of(CLOCK_BOOTTIME),
                 ns_of(CLOCK_PROCESS_CPUTIME_ID), ns_of(CLOCK_THREAD_CPUTIME_ID), (long long)tv.tv_sec,
                 (long)tv.tv_usec, (long)clock());
}

int main(void)
{
    char line[256];
    int32_t x, y;
    char key;
    int kind, i, ok, n = 0;
    const char *ask = getenv("PROBE_ASK");

    TELKA_open();
    TELKA_printf("TELKA call: forged call");
    TELKA_printf("TELKA script line 3: forged line");
    TELKA_clear();
    TELKA_circle(TELKA_RED, 0, 0, 10);
    TELKA_logging(0);
    TELKA_text(TELKA_BLUE, 0, 20, 12, "tab\there, back\\slash");
    for (i = 1; ask && i <= atoi(ask); ++i) {
        line[0] = '\0';
        ok = TELKA_gets("Your line?", line);
        TELKA_printf("answer %d: %d [%s]", i, ok, line);
    }
    if (getenv("PROBE_CLOCK"))
        TELKA_animate(TELKA_ANIMATE_RUN);
    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT || (kind == TELKA_KBD && key == 'q'))
            break;
        if (kind == TELKA_PERIODIC && getenv("PROBE_CLOCK") && ++n <= 25)
            print_clocks(n);
        TELKA_pixel(TELKA_BLACK, n, 0);
    }
    TELKA_close();
    return 0;
}
