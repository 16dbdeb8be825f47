#!/usr/bin/env bash
# telka-grade checks the tests folder before it marks anyone: script.scr,
# answers.txt and test.conf must be regular files of a bounded size (a FIFO
# or a device would hang it or feed it without end), test.conf's lines must
# be known keys with values in range, a test-like folder needs its script,
# and a saved expected/ run must be whole. Each fault is named with its
# file and the grader ends non-zero without hanging; a sound folder (a
# script linked to a file, comments in test.conf) still marks.
#   test_folder_checks_test.sh TELKA_GRADE WORK_DIR
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 TELKA_GRADE WORK_DIR" >&2; exit 2; }
grade=$1 work=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work" && cd "$work"

# A sound tests folder: a test with a whole expected run of no frames (so no
# reference is built) and a class of one that does not compile, so a marking
# ends at once.
fresh() {
  rm -rf tests subs out && mkdir -p tests/t/expected subs
  printf 'TELKA_KBD(113);\n' >script.txt && ln -s "$PWD/script.txt" tests/t/script.scr
  printf '# the quit key\nname = Quits\nweight = 2\n' >tests/t/test.conf
  printf 'end\n' >tests/t/expected/record.tsv && : >tests/t/expected/text.txt
  printf 'int main(void) { return x; }\n' >subs/alice.c
}
grade() { timeout 20 "$grade" tests subs --out out --no-sandbox --cflags '' --libs '' >grade.out 2>grade.err; }

fresh
grade || fail "the sound tests folder was refused ($?): $(cat grade.err)"
grep -q '^alice,0,2,0,error' out/summary.csv || fail "the sound tests folder did not mark: $(cat out/summary.csv)"

# refused BREAK WHAT: BREAK spoils the sound folder; the message must hold WHAT.
refused() {
  fresh
  eval "$1"
  local rc=0
  grade || rc=$?
  [ "$rc" -ne 124 ] || fail "'$1' hung the grader"
  [ "$rc" -ne 0 ] || fail "'$1' was not refused"
  grep -qF -- "$2" grade.err || fail "'$1': the message does not name '$2': $(cat grade.err)"
  [ ! -e out/alice ] || fail "'$1': a student was marked before the tests were checked"
}
refused 'rm tests/t/script.scr && mkfifo tests/t/script.scr' 'tests/t/script.scr'
refused 'ln -sf /dev/zero tests/t/script.scr' 'tests/t/script.scr'
refused 'rm tests/t/test.conf && mkfifo tests/t/test.conf' 'tests/t/test.conf'
refused 'mkfifo tests/t/answers.txt' 'tests/t/answers.txt'
refused 'rm tests/t/script.scr && head -c 1048577 /dev/zero | tr "\0" " " >tests/t/script.scr' 'tests/t/script.scr'
refused 'printf "name = Quits\nweight = 0\n" >tests/t/test.conf' 'tests/t/test.conf:2'
refused 'printf "wieght = 2\n" >tests/t/test.conf' 'tests/t/test.conf:1'
refused 'printf "timeout = 90000\n" >tests/t/test.conf' 'tests/t/test.conf:1'
refused 'mkdir tests/u && cp tests/t/test.conf tests/u/' 'tests/u'
refused 'printf "frame\t1\t0\t0\t\nend\n" >tests/t/expected/record.tsv' 'frame-000001.png'
refused 'rm tests/t/expected/text.txt' 'tests/t/expected/text.txt'
echo "telka-grade: every broken test folder is named and refused before marking; the sound one marks"
