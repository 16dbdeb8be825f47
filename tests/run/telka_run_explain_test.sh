#!/bin/sh
# telka-run --explain on a program whose calls are known by line: a pixel
# drawn over, one drawn only on some frames, and one only cleared; the
# words name the lines; a point outside the window and a frame the run did
# not show are refused.
# Usage: telka_run_explain_test.sh TELKA_RUN PROGRAM SOURCE WORKDIR
set -eu
run=$1 program=$2 source=$3 work=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work"
line() { grep -n "mark:$1" "$source" | cut -d: -f1; }
fail() { echo "FAIL: $*"; cat out.txt; exit 1; }

# Frames 1 and 2 come before the first event; event N draws frame N + 2.
"$run" "$program" --explain 0,0 --explain 105,95 --explain 200,-200 --at 5 > out.txt || fail "status $?"
[ "$(wc -l < out.txt)" = 3 ] || fail "one line per point"
sed -n 1p out.txt | grep -q "^(0, 0) is red\. \`red rectangle with bounding box (-10,5) to (10,-5), filled\` at explain_probe.c line $(line bar) drew it, in frame 5 (after periodic event 3, at 0.15 s)\. Before that in this frame, \`green oval with bounding box (-40,30) to (40,-30), filled\` at line $(line oval) made it green, and \`Clearing the graphics window\` at line $(line clear) made it white\.$" || fail "drawn over"
sed -n 2p out.txt | grep -q "^(105, 95) is blue\. \`blue rectangle .*\` at explain_probe.c line $(line square) drew it, in frame 5 (after periodic event 3" || fail "square on frame 5"
sed -n 3p out.txt | grep -q "^(200, -200) is white\. \`Clearing the graphics window\` at explain_probe.c line $(line clear) drew it" || fail "only cleared"

# On an even event the square is not drawn: its pixel is white, cleared in this frame.
"$run" "$program" --explain 105,95 --at 4 > out.txt || fail "status $?"
grep -q "^(105, 95) is white\. \`Clearing the graphics window\` at explain_probe.c line $(line clear) drew it, in frame 4 (after periodic event 2" out.txt || fail "square gone on frame 4"

# The default frame is the last shown (event 8's drawing is never shown);
# before the first event nothing was drawn.
"$run" "$program" --explain 105,95 > out.txt || fail "status $?"
grep -q "in frame 9 (after periodic event 7" out.txt || fail "last frame"
"$run" "$program" --explain 0,0 --at 1 > out.txt || fail "status $?"
grep -q "No call has drawn it yet" out.txt || fail "nothing drawn in frame 1"

if "$run" "$program" --explain 400,0 > out.txt 2>&1; then fail "a point outside the window"; fi
grep -q "outside the graphics window" out.txt || fail "says why"
if "$run" "$program" --explain 0,0 --at 99 > out.txt 2>&1; then fail "a frame the run did not show"; fi
grep -q "the run showed 9 frames" out.txt || fail "says how many"
if "$run" "$program" --explain 1.5,2 > out.txt 2>&1; then fail "a point that is not one"; fi
echo "PASS"
