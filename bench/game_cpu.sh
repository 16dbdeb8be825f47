#!/bin/sh
# CPU use of the running game while playing (20 ticks a second), and of the X
# server beside it, measured from /proc over the same stretch of play. Run
# under a display: tests/with-xvfb bench/game_cpu.sh [binary] [seconds]
set -u
# The server of $DISPLAY: the process that holds its listening socket
# (under tests/with-xvfb, Xvfb chose the number and is this script's sibling).
number=${DISPLAY#*:}
number=${number%%.*}
xserver_pid() {
  for inode in $(awk -v a="/tmp/.X11-unix/X$1" -v b="@/tmp/.X11-unix/X$1" '$8 == a || $8 == b { print $7 }' /proc/net/unix); do
    for fd in /proc/[0-9]*/fd/*; do
      if [ "$(readlink "$fd" 2>/dev/null)" = "socket:[$inode]" ]; then
        p=${fd#/proc/}
        echo "${p%%/*}"
        return
      fi
    done
  done
}
xpid=$(xserver_pid "$number")
game=${1:-build/bin/telka-game}
seconds=${2:-10}
dir=$(mktemp -d)
(cd "$dir" && STANDIN_BACKEND=x11 exec "$OLDPWD/$game") &
pid=$!
sleep 1
xdotool mousemove 300 300 key x sleep 0.2 key x >/dev/null 2>&1
sleep 0.5
# CPU time in nanoseconds of all threads of a process (the scheduler's
# account, finer than the 10 ms ticks of /proc/PID/stat).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'; }
before=$(cpu_ns "$pid")
xbefore=$(cpu_ns "${xpid:-0}")
sleep "$seconds"
after=$(cpu_ns "$pid")
xafter=$(cpu_ns "${xpid:-0}")
xdotool key q >/dev/null 2>&1
wait "$pid"
status=$?
rm -rf "$dir"
awk -v a="$after" -v b="$before" -v s="$seconds" \
  'BEGIN { printf "game CPU while playing: %.2f %% of one core (%.1f ms in %d s)\n", (a - b) / s / 1e7, (a - b) / 1e6, s }'
if [ -n "$xpid" ]; then
  awk -v a="$xafter" -v b="$xbefore" -v s="$seconds" -v p="$xpid" \
    'BEGIN { printf "X server CPU meanwhile: %.2f %% of one core (%.1f ms, pid %s)\n", (a - b) / s / 1e7, (a - b) / 1e6, p }'
else
  echo "X server CPU meanwhile: not measured (no server process found for DISPLAY=$DISPLAY)"
fi
exit "$status"
