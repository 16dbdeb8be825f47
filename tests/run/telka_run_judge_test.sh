#!/usr/bin/env bash
# telka-run as the judge of one run: with --result its status is its own
# (0 good, 1 not good, 3 cannot judge) and the JSON says how the program
# ended (time limit, CPU limit, crash with its signal, its own exit); --save
# then --expect compares frame by frame and names the first differing frame
# and call. The program side of the record is played by a shell script that
# writes the files a TELKA program writes, from frames run_probe drew.
#   telka_run_judge_test.sh TELKA_RUN RUN_PROBE WORK_DIR
set -uo pipefail
[ $# = 3 ] || { echo "usage: telka_run_judge_test.sh TELKA_RUN RUN_PROBE WORK_DIR" >&2; exit 2; }
run=$1 probe=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# judged EXPECTED WHAT ARGS...: telka-run ARGS --result r.json ends with EXPECTED.
judged() {
  local expected=$1 what=$2
  shift 2
  rm -f r.json
  timeout 30 "$run" "$@" --result r.json >out.txt 2>err.txt
  local got=$?
  [ "$got" = "$expected" ] || fail "$what: status $got, expected $expected ($(head -c 300 err.txt))"
}
# has WHAT TEXT: the last result holds TEXT.
has() { grep -qF -- "$2" r.json || fail "$1: no $2 in $(head -c 400 r.json)"; }

printf '#!/bin/sh\nwhile :; do :; done\n' >spin && chmod +x spin
printf '#!/bin/sh\ntrap "" XCPU\nwhile :; do :; done\n' >spin-on && chmod +x spin-on
printf '#!/bin/sh\nkill -SEGV $$\n' >segv && chmod +x segv
printf '#!/bin/sh\nexit 7\n' >seven && chmod +x seven
printf '#!/bin/sh\nexec head -c 3000000 /dev/zero >big\n' >fill && chmod +x fill

# Limits: each ends the run in result mode with status 1 and says which.
judged 1 "a loop that never waits" ./spin --timeout 1 --cpu 0
has "--timeout" '"status":"time-limit","reason":"time-limit","exit_status":null'
judged 1 "a loop at the CPU limit" ./spin-on --timeout 20 --cpu 1
has "--cpu" '"status":"time-limit","reason":"cpu-limit"'
judged 1 "a crash" ./segv
has "a crash" '"status":"crashed","reason":"signal","exit_status":null,"signal":11,"signal_name":"SIGSEGV"'
judged 1 "a file over --file-size" ./fill --file-size 1
has "--file-size" '"signal_name":"SIGXFSZ"'
judged 1 "a program's own status" ./seven
has "exit 7" '"status":"exited","reason":"program-ended","exit_status":7'
# Why the automation ended a run comes from its report.
printf '#!/bin/sh\nprintf "reason=no-answer\\nstopped=1\\n" >"$STANDIN_HEADLESS_REPORT"\nexit 4\n' >unanswered
chmod +x unanswered
judged 1 "a dialog with no answer left" ./unanswered
has "no answer" '"status":"no-answer","reason":"no-answer","exit_status":4'
judged 3 "a program that is not there" ./missing
has "not there" '"status":"not-started"'
judged 0 "a run that ends well" "$probe" --events 'TELKA_KBD(97)'
has "a good run" '"exit_status":0'
grep -q '"text_tail":\[.*"event 1: kind 2 at (0, 0) key 97"' r.json || fail "no text tail in $(cat r.json)"
# The program's clock starts at a fixed time, and the answers are beside it.
printf 'Ada\n42\n' >answers.txt
cat >settings <<'EOF2'
#!/bin/sh
[ "$STANDIN_HEADLESS_TIME" = 946684800 ] && cmp -s "$STANDIN_HEADLESS_ANSWERS" "$ANSWERS"
EOF2
chmod +x settings
ANSWERS=$work/answers.txt judged 0 "the clock and the answers" ./settings --answers answers.txt
judged 2 "answers that are not there" ./settings --answers missing.txt
grep -q "the answers 'missing.txt' are not there" err.txt || fail "no word on the missing answers: $(cat err.txt)"
# Without --result the statuses stay the program's; the timeout is the shell's 124.
timeout 30 "$run" ./spin --timeout 1 2>err.txt
[ $? = 124 ] || fail "a plain run at --timeout does not end with 124"
grep -q 'killed at the time limit' err.txt || fail "no word on the time limit: $(cat err.txt)"

# Frames for the stand-in program: five frames of run_probe, 3 and 4 different.
"$run" "$probe" --events 'TELKA_KBD(97); TELKA_KBD(98); TELKA_KBD(99)' --frames drawn 2>/dev/null
cmp -s drawn/frame-000003.png drawn/frame-000004.png && fail "frames 3 and 4 of run_probe are the same"
# plan DIR FRAMES CALL3: what the stand-in program writes: FRAMES (numbers of
# drawn/ frames, in order) with two calls a frame, the second of frame 3 CALL3.
plan() {
  local dir=$1 frames=$2 call3=$3 n=0
  mkdir -p "$dir" && : >"$dir/record.tsv"
  for f in $frames; do
    n=$((n + 1))
    cp "drawn/frame-00000$f.png" "$dir/frame-$(printf %06d $n).png"
    second="Circle $n"
    [ $n = 3 ] && second=$call3
    printf 'call\tClear\ncall\t%s\nframe\t%d\t%d\t%d\tTELKA_KBD(%d);\n' "$second" $n $((n * 50000000)) $n $((96 + n)) \
      >>"$dir/record.tsv"
  done
  printf 'end\t\n' >>"$dir/record.tsv"
  printf 'hello\n' >"$dir/text.txt"
}
cat >program <<'EOF'
#!/bin/sh
set -e
mkdir -p "$STANDIN_HEADLESS_DUMP"
cp "$PLAN"/frame-*.png "$STANDIN_HEADLESS_DUMP"/
cp "$PLAN/record.tsv" "$STANDIN_HEADLESS_RECORD"
cp "$PLAN/text.txt" "$STANDIN_HEADLESS_TEXT"
printf 'reason=script-ended\nstopped=0\nevents=3\nframes=5\nvirtual_ns=250000000\n' >"$STANDIN_HEADLESS_REPORT"
EOF
chmod +x program
plan same "1 2 3 4 5" "Circle 3"
plan changed "1 2 4 4 5" "Circle at (1,2)"
plan short "1 2 3" "Circle 3"

PLAN=$work/same "$run" ./program --save ref >out.txt 2>err.txt || fail "--save: $(cat err.txt)"
for f in ref/frames/frame-000005.png ref/record.tsv ref/text.txt ref/result.json; do
  [ -f "$f" ] || fail "--save wrote no $f"
done
PLAN=$work/same judged 0 "the same run" ./program --expect ref --report rep-same
has "the same run" '"identical":true,"first_frame":null,"frames_expected":5,"frames_actual":5'
grep -q '^The run is identical to the expected one' out.txt || fail "the same run: $(head -n 1 out.txt)"
[ -f rep-same/report.html ] && [ ! -e rep-same/diff.png ] || fail "the same run: a report with pictures"

PLAN=$work/changed judged 1 "a changed run" ./program --expect ref --report rep-changed
has "a changed run" '"identical":false,"first_frame":3,"frames_expected":5,"frames_actual":5,"virtual_seconds":0.150,"script_line":3,"script_text":"TELKA_KBD(99);","first_call":2'
has "the calls" '"expected_calls":["Clear", "Circle 3"]'
has "the calls" '"actual_calls":["Clear", "Circle at (1,2)"]'
for f in expected.png actual.png diff.png report.html report.txt actual/record.tsv; do
  [ -f "rep-changed/$f" ] || fail "a changed run: no $f in the report"
done
cmp -s rep-changed/expected.png drawn/frame-000003.png || fail "expected.png is not the expected frame 3"
grep -q "Circle at (1,2)" rep-changed/report.html || fail "the report page does not give the actual call"

PLAN=$work/short judged 1 "a run with frames missing" ./program --expect ref --report rep-short
has "frames missing" '"first_frame":4,"frames_expected":5,"frames_actual":3'

# Links to the reference's files are not the program's run.
cat >cheat <<'EOF2'
#!/bin/sh
rmdir "$STANDIN_HEADLESS_DUMP" 2>/dev/null
ln -s "$REF/frames" "$STANDIN_HEADLESS_DUMP"
ln -s "$REF/record.tsv" "$STANDIN_HEADLESS_RECORD"
ln -s "$REF/text.txt" "$STANDIN_HEADLESS_TEXT"
EOF2
chmod +x cheat
REF=$work/ref judged 1 "a run of links to the reference" ./cheat --expect ref --report rep-cheat
has "links" '"identical":false,"first_frame":1,"frames_expected":5,"frames_actual":0'

# A reference that cannot be used is status 3 with a word on what is wrong.
mkdir -p no-record && judged 3 "a reference without a record" ./program --expect no-record
grep -q 'has no record.tsv' err.txt || fail "no word on the missing record: $(cat err.txt)"
cp -r ref broken && echo 'not a PNG' >broken/frames/frame-000003.png
PLAN=$work/changed judged 3 "a reference frame that is not a PNG" ./program --expect broken
grep -q 'is not a PNG file' err.txt || fail "no word on the broken frame: $(cat err.txt)"

[ "$failures" = 0 ] || exit 1
echo "telka-run: limits, results, save and expect as expected"
