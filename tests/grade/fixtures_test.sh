#!/usr/bin/env bash
# Marks each planted-fault fixture with telka-run --expect against the
# reference's saved run and checks what the result JSON says about it.
# Frame numbers come from the reference's own record, not from this file.
#   fixtures_test.sh TELKA_RUN BIN_DIR FIXTURES_DIR WORK_DIR   (needs python3)
set -uo pipefail
run=$1 bin=$2 fixtures=$3 work=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
script() { echo "$fixtures/tests/$1/script.scr"; }
# In a sanitizer build the crash must still reach telka-run as its signal,
# not as the sanitizer's report and exit status.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}handle_segv=0"

# One value of a result file, by its path of keys: json FILE comparison first_frame
json() {
  python3 - "$@" <<'EOF'
import json, sys
value = json.load(open(sys.argv[1], encoding="utf-8"))
for key in sys.argv[2:]:
    value = value[key] if isinstance(value, dict) else None
print("null" if value is None else json.dumps(value).strip('"') if not isinstance(value, bool) else str(value).lower())
EOF
}

# Facts of a saved run's record: the number of frames, or "FRAME CALL" of the
# first frame with a circle, or of the frame after the one whose circle is
# lowest. CALL counts from 1 among the calls written before that frame's line.
record_fact() {
  python3 - "$@" <<'EOF'
import re, sys
path, which = sys.argv[1], sys.argv[2]
frames, calls = [], []
for line in open(path, encoding="utf-8"):
    kind, _, rest = line.rstrip("\n").partition("\t")
    if kind == "call":
        calls.append(rest)
    elif kind == "frame":
        frames.append((int(rest.split("\t")[0]), calls))
        calls = []
circle = re.compile(r"circle at \((-?\d+),(-?\d+)\)")
hits = [(frame, i + 1, int(m.group(2))) for frame, cs in frames for i, c in enumerate(cs) if (m := circle.search(c))]
if which == "frames":
    print(len(frames))
elif not hits:
    print("none none")
else:
    if which == "after-lowest-circle":
        lowest = min(y for _, _, y in hits)
        hits = hits[[h[2] for h in hits].index(lowest) + 1:] or [("none", "none", 0)]
    print(hits[0][0], hits[0][1])
EOF
}

# mark NAME TEST [options...]: NAME's run against TEST's reference run; sets rc.
mark() {
  local name=$1 test=$2
  shift 2
  "$run" "$bin/$name" --script "$(script "$test")" --expect "ref-$test" --report "report-$name-$test" \
    --result "$name-$test.json" "$@" >"$name-$test.out" 2>&1
  rc=$?
  [ -f "$name-$test.json" ] || { fail "$name/$test: no result file (status $rc): $(tail -3 "$name-$test.out")"; return 1; }
}
want() { # want FILE VALUE KEY...: one value of a result
  local file=$1 value=$2 got
  shift 2
  got=$(json "$file" "$@")
  [ "$got" = "$value" ] || fail "${file%.json}: $* is $got, not $value"
}

for test in bounce quit-key; do
  "$run" "$bin/reference" --script "$(script "$test")" --save "ref-$test" >"ref-$test.out" 2>&1 ||
    { echo "FAIL: the reference run of $test ended with $?: $(tail -3 "ref-$test.out")" >&2; exit 1; }
  [ -s "ref-$test/record.tsv" ] && [ -f "ref-$test/frames/frame-000001.png" ] ||
    { echo "FAIL: ref-$test lacks its record or frames" >&2; exit 1; }
done

for test in bounce quit-key; do
  mark correct "$test" && { [ $rc = 0 ] || fail "correct/$test: status $rc, not 0"; want "correct-$test.json" true comparison identical; }
done

# The ball goes one step too far at the bottom: the frame after the one where
# the reference's ball is lowest (there it turns), at the ball's circle call.
read -r frame call < <(record_fact ref-bounce/record.tsv after-lowest-circle)
mark off_by_one bounce --reference "$bin/reference" && {
  [ $rc = 1 ] || fail "off_by_one: status $rc, not 1"
  want off_by_one-bounce.json "$frame" comparison first_frame
  want off_by_one-bounce.json "$call" comparison first_call
  want off_by_one-bounce.json 1 comparison script_line
  # The summary numbers the frame as the program's own counter, drawn in it, does.
  drawn=$((frame - $(json off_by_one-bounce.json comparison frames_before_drawing)))
  json off_by_one-bounce.json comparison expected_calls | grep -qF "\"frame $drawn   ball" ||
    fail "off_by_one: frame $frame does not show the program's frame $drawn"
  json off_by_one-bounce.json comparison summary | grep -qE "the $drawn(st|nd|rd|th) the program drew" ||
    fail "off_by_one: the summary does not count frame $frame as the program's $drawn: $(json off_by_one-bounce.json comparison summary)"
  # The student's line of the differing call, and the first differing pixel's history in their run.
  circle_line=$(grep -n 'TELKA_circle(' "$fixtures/class/off_by_one.c" | cut -d: -f1)
  want off_by_one-bounce.json "$circle_line" comparison first_call_line
  json off_by_one-bounce.json comparison summary | grep -qF "(your line $circle_line)" ||
    fail "off_by_one: the summary does not name line $circle_line"
  json off_by_one-bounce.json comparison actual_pixel_history | grep -qF "at off_by_one.c line " ||
    fail "off_by_one: no history of the first differing pixel: $(json off_by_one-bounce.json comparison actual_pixel_history)"
  # The reference's side, without the teacher's lines.
  json off_by_one-bounce.json comparison expected_pixel_history | grep -E "is orange\. \`orange circle at \(276,-230\), radius 20\` drew it, in frame $frame " | grep -qv " line " ||
    fail "off_by_one: the reference's side: $(json off_by_one-bounce.json comparison expected_pixel_history)"
}

# The wrong colour shows in the first frame with the ball, at its circle call.
read -r frame call < <(record_fact ref-bounce/record.tsv first-circle)
mark wrong_colour bounce && {
  [ $rc = 1 ] || fail "wrong_colour: status $rc, not 1"
  want wrong_colour-bounce.json "$frame" comparison first_frame
  want wrong_colour-bounce.json "$call" comparison first_call
}

# The reference ends on q; the submission draws a frame more than it.
frames=$(record_fact ref-quit-key/record.tsv frames)
mark missed_key quit-key && {
  [ $rc = 1 ] || fail "missed_key: status $rc, not 1"
  want missed_key-quit-key.json "$((frames + 1))" comparison first_frame
  want missed_key-quit-key.json "$frames" comparison frames_expected
}

mark never_waits bounce --timeout 3 && {
  [ $rc = 1 ] || fail "never_waits: status $rc, not 1"
  want never_waits-bounce.json time-limit status
}

mark crash bounce && {
  [ $rc = 1 ] || fail "crash: status $rc, not 1"
  want crash-bounce.json crashed status
  want crash-bounce.json 11 signal
  want crash-bounce.json SIGSEGV signal_name
}

# Under the sandbox the escape reaches neither the folder above its own, nor
# the test's files, nor the reference run; outside it, it does (so the
# fixture really tries).
escape_attempt() { # escape_attempt MODE [options...]: run in a folder of its own below escape-MODE
  local mode=$1
  shift
  rm -rf "escape-$mode" outside-escaped.txt && mkdir -p "escape-$mode/own"
  mark escape bounce --workdir "escape-$mode/own" "$@"
}
escape_attempt open && {
  json escape-bounce.json text_tail | grep -q "read $work/ref-bounce/record.tsv: got" ||
    fail "escape: without the sandbox it did not read the reference run, so the check below proves nothing"
  [ -f outside-escaped.txt ] || fail "escape: without the sandbox it did not write outside its folder"
}
if ! command -v bwrap >/dev/null || ! bwrap --ro-bind / / --unshare-net --unshare-pid --unshare-ipc true 2>/dev/null; then
  echo "SKIP: bubblewrap cannot make a sandbox here, so the sandboxed escape is not checked"
elif escape_attempt sandbox --sandbox; then
  [ $rc = 0 ] || [ $rc = 1 ] || fail "escape: the sandboxed run was not judged (status $rc): $(tail -3 escape-bounce.out)"
  [ ! -e escape-sandbox/escaped.txt ] || fail "escape: it wrote into the folder above its own"
  [ ! -e outside-escaped.txt ] || fail "escape: it wrote a file of the test's"
  json escape-bounce.json text_tail | grep -q "read $work/ref-bounce/record.tsv: refused" ||
    fail "escape: the reference run was not refused: $(json escape-bounce.json text_tail)"
fi

# Seeded from the clock, yet two marked runs are the same frame for frame.
"$run" "$bin/clock_seeded" --script "$(script bounce)" --save clock-first >clock-first.out 2>&1 ||
  fail "clock_seeded: the first run ended with $?"
"$run" "$bin/clock_seeded" --script "$(script bounce)" --expect clock-first --report report-clock \
  --result clock-second.json >clock-second.out 2>&1
rc=$?
[ $rc = 0 ] || fail "clock_seeded: the second run differs from the first (status $rc)"
[ -f clock-second.json ] && want clock-second.json true comparison identical

[ $failures = 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "fixtures: first frames and calls, time limit, crash, escape and clock-seeded runs marked as expected"
