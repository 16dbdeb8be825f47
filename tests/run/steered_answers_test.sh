#!/usr/bin/env bash
# Dialog answers (STANDIN_HEADLESS_ANSWERS): each TELKA_gets gets the next
# line of the file, typed into its edit field and confirmed with Enter, line
# ends LF or CRLF; a dialog with no line left stops the program (status 4,
# report reason no-answer, stopped=1), and so does one without answers at all.
#   steered_answers_test.sh STEERED_PROBE RUN_PROBE WORK_DIR (RUN_PROBE unused)
set -uo pipefail
probe=$1 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# ask STATUS REPORT-REASON-LINES [VARIABLES...]: steered_probe asks two lines.
ask() {
  local status=$1 reason=$2
  shift 2
  rm -f text.txt report.txt
  timeout 20 env STANDIN_BACKEND=headless STANDIN_HEADLESS_WINDOW='TELKA Graphics' STANDIN_HEADLESS_SECONDS=2 \
    STANDIN_HEADLESS_TEXT=text.txt STANDIN_HEADLESS_REPORT=report.txt PROBE_ASK=2 "$@" "$probe" 2>err.txt
  local got=$?
  [ "$got" = "$status" ] || fail "status $got, expected $status ($(head -c 300 err.txt))"
  printf '%s\n' $reason | diff - <(head -n 2 report.txt) >/dev/null || fail "report: $(tr '\n' ' ' <report.txt)"
}

printf 'Ada Lovelace\r\nx = 1; y = "two"' >two.txt
ask 0 'reason=seconds stopped=0' STANDIN_HEADLESS_ANSWERS=two.txt
printf '%s\n' 'answer 1: 1 [Ada Lovelace]' 'answer 2: 1 [x = 1; y = "two"]' >expected.txt
grep '^answer' text.txt | diff -u expected.txt - || fail "the answers did not reach TELKA_gets as typed"

printf 'only one\n' >one.txt
ask 4 'reason=no-answer stopped=1' STANDIN_HEADLESS_ANSWERS=one.txt
grep '^answer' text.txt | diff -u <(echo 'answer 1: 1 [only one]') - || fail "the one answer did not arrive alone"
grep -q 'no answer is left' err.txt || fail "no word on the missing answer: $(cat err.txt)"

ask 4 'reason=no-answer stopped=1'
[ "$failures" = 0 ] || exit 1
echo "answers: typed into each dialog in turn; a dialog with none left ends the run with no-answer"
