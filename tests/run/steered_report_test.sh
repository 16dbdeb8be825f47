#!/usr/bin/env bash
# The run's report (STANDIN_HEADLESS_REPORT): why the run ended, whether the
# automation stopped the process itself, and the counts, for each way a run
# ends: the program by itself, the script played, the seconds, the frames,
# and a program that does not close.
#   steered_report_test.sh STEERED_PROBE RUN_PROBE WORK_DIR
set -uo pipefail
probe=$1 run_probe=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# ends_with 'REPORT LINES' STATUS WHAT PROGRAM SCRIPT [VARIABLES...]
ends_with() {
  local expected=$1 status=$2 what=$3 program=$4 script=$5
  shift 5
  rm -f report.txt TELKA.SCR
  [ -z "$script" ] || printf '%s\n' $script >TELKA.SCR
  local item=()
  [ -z "$script" ] || item=(STANDIN_HEADLESS_PLAY_ITEM='&Playback Script')
  timeout 20 env STANDIN_BACKEND=headless STANDIN_HEADLESS_WINDOW='TELKA Graphics' STANDIN_HEADLESS_REPORT=report.txt \
    "${item[@]}" "$@" "$program" >/dev/null 2>err.txt
  local got=$?
  [ "$got" = "$status" ] || fail "$what: status $got, expected $status ($(head -c 300 err.txt))"
  grep -v '^virtual_ns=' report.txt >got.txt 2>/dev/null
  printf '%s\n' $expected | diff -u - got.txt >/dev/null || fail "$what: report $(tr '\n' ' ' <report.txt 2>&1)"
}

ends_with 'reason=program-ended stopped=0 exited=1 events=1 frames=2' 0 "the program ends by itself" \
  "$probe" 'TELKA_KBD(113);'
ends_with 'reason=script-ended stopped=0 exited=1 events=3 frames=5' 0 "the script has been played" \
  "$probe" 'TELKA_MOUSE(1,2); TELKA_PERIODIC(2);'
ends_with 'reason=seconds stopped=0 exited=1 events=0 frames=22' 0 "the seconds are over" \
  "$probe" '' STANDIN_HEADLESS_SECONDS=1 PROBE_CLOCK=1
grep -qx 'virtual_ns=1000000000' report.txt || fail "the seconds' run does not stop its clock at 1 s: $(cat report.txt)"
ends_with 'reason=frames stopped=0 exited=1 events=0 frames=2' 0 "the frames are shown" \
  "$probe" '' STANDIN_HEADLESS_FRAMES=2 PROBE_CLOCK=1
ends_with 'reason=not-closing stopped=1 exited=1 events=1 frames=3' 4 "the program ignores its window's closing" \
  "$run_probe" 'TELKA_KBD(105);'
# A report alone steers the run, so it always has an end: an hour of the
# program's time (the library's timer always gives it one more tick to wait for).
ends_with 'reason=seconds stopped=0 exited=1 events=0 frames=2' 0 "a report alone" "$probe" ''

[ "$failures" = 0 ] || exit 1
echo "report: every way a run ends has its reason, stopped flag and counts"
