#!/usr/bin/env bash
# telka-grade on a class of four (make_class.sh): the batch finishes with a
# good, a wrong-colour, a non-compiling and a never-waiting submission, marks
# each rightly, writes summary.csv and each results.json, and a second run
# gives the same files but timing.csv.
#   grade_class_test.sh TELKA_GRADE SOURCE_DIR BUILD_DIR WORK_DIR
set -euo pipefail
grade=$1 src=$2 build=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$here/make_class.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work"
make_class "$work" "$src"
build_tree_flags "$src" "$build"

for r in 1 2; do
  # shellcheck disable=SC2086
  "$grade" tests subs --out "out$r" --jobs 2 ${GRADE_OPTIONS:-} >"run$r.out" 2>"run$r.err" \
    || fail "run $r ended with $?: $(cat "run$r.err")"
done
[ -f tests/draw/expected/record.tsv ] || fail "no expected run was made from the reference"

cat >expected.csv <<'CSV'
student,score,max_score,draw,build
alice,2,2,2,ok
bob,0,2,0,ok
carol,0,2,0,error
dave,0,2,0,ok
CSV
diff -u expected.csv out1/summary.csv || fail "summary.csv does not mark each submission rightly"

grep -q '"score": 2, "output": "Your program built' out1/alice/results.json || fail "alice's results.json: $(cat out1/alice/results.json)"
bob=$(cat out1/bob/results.json)
[[ $bob == *'"score": 0,'* ]] || fail "bob scored: $bob"
[[ $bob == *'First differing frame: '* ]] || fail "bob's feedback names no first differing frame: $bob"
[[ $bob == *'the first that differs is call '* ]] || fail "bob's feedback marks no differing call: $bob"
[[ $bob == *'\n  expected ('*'  > '* ]] || fail "bob's feedback marks no call in the list: $bob"
grep -q 'did not build' out1/carol/results.json || fail "carol's build error is not reported"
grep -q "return x" out1/carol/results.json || fail "carol's results.json does not quote the compiler"
grep -q 'time limit of 8 s' out1/dave/results.json || fail "dave's loop is not reported as the time limit: $(cat out1/dave/results.json)"
grep -q 'stopped at the time limit before its first frame.*has no frame 1' out1/dave/results.json ||
  fail "dave's missing frames are not said to be missing: $(cat out1/dave/results.json)"
[ -f out1/bob/tests/draw/report/report.html ] || fail "bob has no report"
grep -q 'bob/tests/draw/report/actual.png' out1/index.html || fail "index.html has no thumbnail of bob's differing frame"

for f in summary.csv index.html alice/results.json bob/results.json carol/results.json dave/results.json; do
  cmp -s "out1/$f" "out2/$f" || fail "two runs wrote different $f: $(diff "out1/$f" "out2/$f" | head -5)"
done
echo "telka-grade: the class marked rightly, the same twice"
