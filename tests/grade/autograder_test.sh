#!/usr/bin/env bash
# The autograder zip as a marking service uses it: the library installed
# under a prefix, its telka-grade makes the zip of make_class.sh's tests,
# which is unpacked into a scratch root; setup.sh runs there (the packages
# are present, so it needs no network) and run_autograder marks a good and
# a wrong-colour submission into results/results.json.
#   autograder_test.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -euo pipefail
build=$1 src=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$here/make_class.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work"
make_class "$work" "$src"
cmake --install "$build" --prefix "$work/prefix" >install.log || fail "cmake --install: $(tail -5 install.log)"

"$work/prefix/bin/telka-grade" tests --autograder "$work/autograder.zip" >zip.log 2>&1 \
  || fail "--autograder ended with $?: $(cat zip.log)"
root=$work/service
mkdir -p "$root/source"
(cd "$root/source" && cmake -E tar xf "$work/autograder.zip")
[ -x "$root/source/setup.sh" ] && [ -x "$root/source/run_autograder" ] || fail "the zip's scripts are not executable"
[ ! -e "$root/source/tests/draw/expected" ] || fail "the zip carries expected runs made on this machine"
(cd "$root/source" && env -u PKG_CONFIG_PATH PATH=/usr/bin:/bin bash ./setup.sh) >setup.log 2>&1 \
  || fail "setup.sh ended with $?: $(cat setup.log)"
[ -f "$root/source/tests/draw/expected/record.tsv" ] || fail "setup.sh made no expected run"
cp "$root/source/run_autograder" "$root/run_autograder"

mark() {
  rm -rf "$root/submission" "$root/results"
  mkdir -p "$root/submission"
  cp "$1" "$root/submission/main.c"
  TELKA_AUTOGRADER_ROOT=$root env -u PKG_CONFIG_PATH PATH=/usr/bin:/bin "$root/run_autograder" >mark.log 2>&1 \
    || fail "run_autograder ended with $?: $(cat mark.log)"
  [ -f "$root/results/results.json" ] || fail "run_autograder wrote no results.json"
}
mark subs/alice.c
grep -q '^{"score": 2,' "$root/results/results.json" || fail "alice: $(cat "$root/results/results.json")"
mark subs/bob.c
grep -q '^{"score": 0,' "$root/results/results.json" || fail "bob: $(cat "$root/results/results.json")"
grep -q 'First differing frame' "$root/results/results.json" || fail "bob's feedback: $(cat "$root/results/results.json")"
echo "telka-grade: the autograder zip set up and marked as a service would"
