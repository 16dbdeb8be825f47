#!/usr/bin/env bash
# telka-grade's bookkeeping around a class: every submission gets a folder
# and a row of its own, whatever its name (clashing once made safe, or
# named like a class file), hand-ins with no source get a row saying so,
# the original names are kept, and --out is refused over the tests or the
# submissions.
#   submission_names_test.sh TELKA_GRADE SOURCE_DIR BUILD_DIR WORK_DIR
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 TELKA_GRADE SOURCE_DIR BUILD_DIR WORK_DIR" >&2; exit 2; }
grade=$1 src=$2 build=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$here/make_class.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work"
make_class "$work" "$src"
build_tree_flags "$src" "$build"
rm subs/*
good=$src/examples/mouse_draw.c
for name in 'a b' a_b 'a b-2' a_b-2 summary.csv index.html; do cp "$good" "subs/$name.c"; done
cp "$good" subs/main.c.txt
mkdir subs/headers subs/empty && printf 'int f(void);\n' >subs/headers/f.h

# --out on, over or inside the tests or the submissions: refused, nothing touched.
for out in tests . tests/draw subs/inside; do
  rc=0
  "$grade" tests subs --out "$out" --no-sandbox >refused.out 2>refused.err || rc=$?
  [ "$rc" -ne 0 ] || fail "--out $out was not refused"
  grep -q -- '--out' refused.err || fail "--out $out: no message says why: $(cat refused.err)"
  [ -f tests/draw/script.scr ] && [ -f subs/a_b.c ] || fail "--out $out deleted the tests or the submissions"
  [ ! -e subs/inside ] && [ ! -e tests/.reference ] || fail "--out $out made a folder before refusing"
done

# shellcheck disable=SC2086
"$grade" tests subs --out out --jobs 2 ${GRADE_OPTIONS:-} >run.out 2>run.err || fail "marking ended with $?: $(cat run.err)"
head -1 out/summary.csv | grep -q '^student,score,max_score,draw,build,original$' || fail "summary.csv's header: $(head -1 out/summary.csv)"
grep -q '^<!DOCTYPE html>' out/index.html || fail "index.html is not the class page"
rows=$(tail -n +2 out/summary.csv)
[ "$(wc -l <<<"$rows")" -eq 9 ] || fail "not one row per hand-in: $rows"
[ -z "$(cut -d, -f1 <<<"$rows" | sort | uniq -di)" ] || fail "two rows share a name: $rows"
for original in 'a b.c' a_b.c 'a b-2.c' a_b-2.c summary.csv.c index.html.c; do
  row=$(grep -F ",$original" <<<"$rows") || fail "no row keeps the original name '$original': $rows"
  [[ $row == *,2,2,2,ok,* ]] || fail "the correct '$original' is not marked 2 of 2: $row"
  folder=${row%%,*}
  case "${folder,,}" in summary.csv | index.html | timing.csv) fail "'$original' was given the class file's name $folder" ;; esac
  grep -q '"score": 2,' "out/$folder/results.json" || fail "$folder/results.json is not the full mark of '$original'"
done
for original in main.c.txt headers empty; do
  row=$(grep -F ",$original" <<<"$rows") || fail "the hand-in '$original' has no row: $rows"
  [[ $row == *,0,2,0,no-source,* ]] || fail "the row of '$original' does not say it has no source: $row"
  grep -qx "${row%%,*}"$'\t0/2\tno source' run.out || fail "the terminal does not say '$original' has no source: $(cat run.out)"
done
grep -q 'a b-2.c' out/index.html || fail "index.html does not name the original hand-ins"
echo "telka-grade: every hand-in has its own row and folder, the class files are written, --out over the inputs is refused"
