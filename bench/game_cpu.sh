#!/bin/sh
# CPU use of the running game while playing (20 ticks a second), measured from
# /proc over a stretch of play. Run under a display: scripts/with-xvfb bench/game_cpu.sh [binary] [seconds]
set -u
game=${1:-build/bin/telka-game}
seconds=${2:-10}
dir=$(mktemp -d)
(cd "$dir" && STANDIN_BACKEND=x11 exec "$OLDPWD/$game") &
pid=$!
sleep 1
xdotool mousemove 300 300 key x sleep 0.2 key x >/dev/null 2>&1
sleep 0.5
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
xdotool key q >/dev/null 2>&1
wait "$pid"
status=$?
rm -rf "$dir"
awk -v a="$after" -v b="$before" -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "game CPU while playing: %.2f %% of one core (%d ticks of 1/%d s in %d s)\n", 100 * (a - b) / hz / s, a - b, hz, s }'
exit "$status"
