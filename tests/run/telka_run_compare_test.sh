#!/usr/bin/env bash
# telka-run --save then --expect on a real TELKA program: the same program
# is identical (its calls recorded with logging off), and a program whose
# disc moves one pixel from the second event on differs first in the frame
# after script line 2, at its circle call; a program that ends early is said
# to have ended after its last frame, with no calls set against the missing one.
#   telka_run_compare_test.sh TELKA_RUN RUN_PROBE WORK_DIR
set -uo pipefail
[ $# = 3 ] || { echo "usage: telka_run_compare_test.sh TELKA_RUN RUN_PROBE WORK_DIR" >&2; exit 2; }
run=$1 probe=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
events='TELKA_KBD(97); TELKA_MOUSE(10, 20); TELKA_KBD(98)'

timeout 30 "$run" "$probe" --events "$events" --save ref >out.txt 2>err.txt || fail "--save: $(cat err.txt)"
grep -q $'^call\t.* circle at (' ref/record.tsv || fail "no circle call recorded: $(head -n 5 ref/record.tsv)"
frames=$(grep -c '^frame' ref/record.tsv)
[ "$frames" = "$(ls ref/frames | wc -l)" ] || fail "$frames frame lines for $(ls ref/frames | wc -l) frames"

timeout 30 "$run" "$probe" --events "$events" --expect ref --report same --result same.json >out.txt 2>err.txt
[ $? = 0 ] || fail "the same program: $(cat out.txt err.txt)"
grep -qF '"identical":true' same.json || fail "the same program is not identical: $(cat same.json)"

# The first frame after script line 2 is the first one the shift shows in.
first=$(awk -F '\t' '$1 == "frame" && $4 == 2 { print $2; exit }' ref/record.tsv)
timeout 30 env RUN_PROBE_SHIFT=1 "$run" "$probe" --events "$events" --expect ref --report shifted \
  --result shifted.json >out.txt 2>err.txt
[ $? = 1 ] || fail "the changed program is not judged not good"
grep -qF "\"first_frame\":$first," shifted.json || fail "not frame $first: $(cat shifted.json)"
grep -qF '"script_line":2,"script_text":"TELKA_MOUSE(10, 20);"' shifted.json || fail "script line: $(cat shifted.json)"
call=$(grep -o '"first_call":[0-9]*' shifted.json | cut -d: -f2)
[ -n "$call" ] || fail "no first call: $(cat shifted.json)"
expected_call=$(awk -F '\t' -v f="$first" '$1 == "call" { n++; c[n] = $2 } $1 == "frame" { if ($2 == f) { for (i = 1; i <= n; i++) if (c[i] ~ /Circle|circle/) { print i; exit } } n = 0 }' ref/record.tsv)
[ "$call" = "$expected_call" ] || fail "first call $call, the circle is call $expected_call"
[ -f shifted/diff.png ] || fail "no diff.png"

# 'q' after the first event: the program ends before the reference's last frames.
timeout 30 "$run" "$probe" --events 'TELKA_KBD(97); TELKA_KBD(113)' --expect ref --report early \
  --result early.json >out.txt 2>err.txt
last=$(grep -o '"frames_actual":[0-9]*' early.json | cut -d: -f2)
grep -qF "was expected, but the program ended after frame $last." early.json || fail "early end: $(cat early.json)"
grep -qF '"first_call":null' early.json || fail "a missing frame has a differing call: $(cat early.json)"
grep -qF "(no such frame: the program ended after frame $last)" early/report.txt early/report.html ||
  fail "the report sets calls against a missing frame: $(cat early/report.txt)"

[ "$failures" = 0 ] || exit 1
echo "telka-run: save then expect names the frame and call a change shows in"
