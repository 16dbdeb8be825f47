#!/usr/bin/env bash
# The program's time in a steered run with STANDIN_HEADLESS_TIME=T: time,
# gettimeofday, clock_gettime (calendar, monotonic, boot and CPU clocks) and
# clock read T plus the virtual time (monotonic ones 1000 s plus it), at each
# periodic event of steered_probe's animation, 50 ms apart; two runs print the
# same; without the variable time() is the real one. A program with a global
# of its own named `clock` links and keeps it.
#   steered_time_test.sh STEERED_PROBE OWN_CLOCK_PROBE WORK_DIR
set -euo pipefail
probe=$1 own_clock=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

T=946684800
steer() {
  env STANDIN_BACKEND=headless STANDIN_HEADLESS_WINDOW='TELKA Graphics' STANDIN_HEADLESS_SECONDS=2 PROBE_CLOCK=1 \
    "$@" "$probe" 2>/dev/null
}
steer STANDIN_HEADLESS_TIME=$T STANDIN_HEADLESS_TEXT=a.txt || fail "run a ended with $?"
steer STANDIN_HEADLESS_TIME=$T STANDIN_HEADLESS_TEXT=b.txt || fail "run b ended with $?"
cmp -s a.txt b.txt || fail "two runs saw different times"

seen=0
while read -r _ n _ time _ real _ mono _ boot _ cpu _ thread _ tod _ clock; do
  n=${n%:} v=$((${n} * 50000000))
  [ "$cpu" = "$v" ] && [ "$thread" = "$v" ] || fail "event $n: CPU clocks $cpu $thread, expected $v"
  [ "$real" = "$((T * 1000000000 + v))" ] || fail "event $n: CLOCK_REALTIME $real"
  [ "$mono" = "$((1000000000000 + v))" ] && [ "$boot" = "$mono" ] || fail "event $n: monotonic $mono boot $boot"
  [ "$time" = "$((T + v / 1000000000))" ] || fail "event $n: time() $time"
  [ "$tod" = "$(printf '%d.%06d' $((T + v / 1000000000)) $((v % 1000000000 / 1000)))" ] || fail "event $n: gettimeofday $tod"
  [ "$clock" = "$((v / 1000))" ] || fail "event $n: clock() $clock"
  seen=$((seen + 1))
done < <(grep '^clocks ' a.txt)
[ "$seen" = 25 ] || fail "$seen clock lines, expected 25"

steer STANDIN_HEADLESS_TEXT=real.txt || fail "the real-time run ended with $?"
now=$(date +%s)
real_time=$(grep -m1 '^clocks 1:' real.txt | cut -d' ' -f4)
[ $((now - real_time)) -ge 0 ] && [ $((now - real_time)) -le 60 ] || fail "time() without the variable is $real_time, now $now"
env STANDIN_BACKEND=headless STANDIN_HEADLESS_TIME=$T STANDIN_HEADLESS_SECONDS=2 STANDIN_HEADLESS_TEXT=own.txt \
  "$own_clock" 2>/dev/null || fail "the program with its own clock ended with $?"
[ "$(cat own.txt)" = "clock 5" ] || fail "the program's own clock: $(cat own.txt)"
echo "time: every clock follows the virtual one from T, and two runs agree"
