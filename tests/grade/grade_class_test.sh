#!/usr/bin/env bash
# telka-grade on a class of four (make_class.sh): the batch finishes with a
# good, a wrong-colour, a non-compiling and a never-waiting submission, marks
# each rightly, writes summary.csv and each results.json, and a second
# marking into the same folder gives the same files but timing.csv and the
# runs' real seconds.
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
  "$grade" tests subs --out marks --jobs 2 ${GRADE_OPTIONS:-} >"run$r.out" 2>"run$r.err" \
    || fail "run $r ended with $?: $(cat "run$r.err")"
  mv marks "out$r"
done
[ -f tests/draw/expected/record.tsv ] || fail "no expected run was made from the reference"

cat >expected.csv <<'CSV'
student,score,max_score,draw,build,original
alice,2,2,2,ok,alice.c
bob,0,2,0,ok,bob.c
carol,0,2,0,error,carol.c
dave,0,2,0,ok,dave.c
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

# The first marking also made the expected runs, from the reference built in .reference.
files() { (cd "$1" && find . -path ./.reference -prune -o -print | sort); }
diff <(files out1) <(files out2) || fail "two markings wrote different files"
without_times() { sed 's/"wall_seconds":[0-9.]*//' "$1"; }
while read -r f; do
  [ "$f" = ./timing.csv ] && continue
  cmp -s <(without_times "out1/$f") <(without_times "out2/$f") ||
    fail "two markings wrote different $f: $(diff "out1/$f" "out2/$f" | head -5)"
done < <(cd out1 && find . -path ./.reference -prune -o -type f -print)
echo "telka-grade: the class marked rightly, the same twice"
