#!/usr/bin/env bash
# telka-run end to end on run_probe: every printed line reaches the text
# file in order (more than the window keeps), the chosen frames and only
# those are written, a script cut by --max-events ends the run, so does
# --max-frames, and two runs
# write the same files byte for byte.
#   telka_run_test.sh TELKA_RUN RUN_PROBE WORK_DIR
set -euo pipefail
run=$1 probe=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

events='TELKA_MOUSE(10, 20); TELKA_KBD(97); TELKA_PERIODIC(3); TELKA_KBD(113)'
for r in a b; do
  "$run" "$probe" --events "$events" --frames "$r" --every 2 --last --text "$r.txt" 2>"$r.err" \
    || fail "run $r ended with $?: $(cat "$r.err")"
done
{
  for i in $(seq 1 40); do echo "line $i"; done
  echo "event 1: kind 1 at (10, 20) key 0"
  echo "event 2: kind 2 at (0, 0) key 97"
  for n in 3 4 5; do echo "event $n: kind 3 at (0, 0) key 0"; done
  echo "event 6: kind 2 at (0, 0) key 113"
} >expected.txt
diff -u expected.txt a.txt || fail "the text file is not every line printed"
[ -f a/last.png ] || fail "no last.png"
ls a | grep -q 'frame-000002.png' || fail "no frame 2"
if ls a | grep -Eq 'frame-[0-9]*[13579].png'; then fail "--every 2 wrote an odd frame"; fi
diff -r a b >/dev/null || fail "two runs wrote different frames"
cmp -s a.txt b.txt || fail "two runs wrote different text"

# The first three events, then the script's end closes the window.
"$run" "$probe" --events "$events" --max-events 3 --text c.txt 2>c.err || fail "run c ended with $?: $(cat c.err)"
grep -q 'script has been played' c.err || fail "the cut script did not end the run: $(cat c.err)"
printf '%s\n' 'event 3: kind 3 at (0, 0) key 0' 'EOF encountered in script file TELKA.SCR' \
  'event 4: kind 4 at (0, 0) key 0' >c-expected.txt
tail -n 3 c.txt | diff -u c-expected.txt - || fail "--max-events 3 did not end after the third event with a quit"
# The second frame ends the run, and no frame after it is written.
"$run" "$probe" --events "$events" --frames d --max-frames 2 2>d.err || fail "run d ended with $?: $(cat d.err)"
[ "$(ls d | wc -l)" = 2 ] || fail "--max-frames 2 wrote $(ls d | wc -l) frames"
echo "telka-run: text, frames, --max-events and repeat runs as expected"
