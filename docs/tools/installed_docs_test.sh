#!/usr/bin/env bash
# The documentation as installed: the build tree installed into a folder of
# its own, every relative link of its pages resolves there, the examples
# build with examples.md's line, and grading.md's worked example builds and
# makes its reference run from the installed copy, by the doc's own lines.
#   installed_docs_test.sh BUILD_DIR WORK_DIR   (needs python3 and pkg-config)
set -euo pipefail
[ $# = 2 ] || { echo "usage: installed_docs_test.sh BUILD_DIR WORK_DIR" >&2; exit 2; }
build=$1 work=$2
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work" && cd "$work"
prefix=$work/prefix doc=$work/prefix/share/doc/telka
cmake --install "$build" --prefix "$prefix" >install.log || fail "cmake --install: $(tail -5 install.log)"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig PATH=$prefix/bin:$PATH

dead=$(python3 - "$doc" <<'PY'
import os, re, sys
root = sys.argv[1]
link = re.compile(r'\]\(([^)\s]+)\)')
for folder, _, files in os.walk(root):
    for name in (f for f in files if f.endswith('.md')):
        path = os.path.join(folder, name)
        text = re.sub(r'```.*?```', '', open(path, encoding='utf-8').read(), flags=re.S)
        for target in link.findall(text):
            if re.match(r'[a-z]+:', target) or target.startswith('#'):
                continue
            if not os.path.exists(os.path.join(folder, target.split('#')[0])):
                print(f"{os.path.relpath(path, root)}: {target}")
PY
)
[ -z "$dead" ] || fail "links that lead nowhere in the installed docs: $dead"

# A doc's indented command line that starts with START, its PREFIX and its
# /tmp folder made this test's.
doc_line() {
  local line
  line=$(grep -m1 -F "    $2" "$doc/docs/$1") || fail "$1 has no line '$2'"
  line=${line//PREFIX/$prefix}
  echo "${line//\/tmp\/fixtures/$work/fixtures}"
}

line=$(doc_line examples.md 'cc PREFIX/share/doc/telka/examples/hello.c')
for example in "$doc"/examples/*.c; do
  name=$(basename "$example" .c)
  eval "${line//hello/$name}" 2>"$name.err" || fail "examples.md's line does not build $name: $(cat "$name.err")"
done

eval "$(doc_line grading.md 'cp -r PREFIX/share/doc/telka/tests/grade/fixtures')"
set +e
eval "$(doc_line grading.md 'mkdir -p bin && for f in')" 2>build.err
set -e
for f in tests/reference.c class/*.c; do
  name=$(basename "$f" .c)
  [ -x "bin/$name" ] || [ "$name" = build_error ] || fail "grading.md's loop did not build $name: $(cat build.err)"
done
eval "$(doc_line grading.md 'telka-run bin/reference --script tests/bounce/script.scr --save')" >ref.out 2>&1 ||
  fail "grading.md's reference run: $(cat ref.out)"
[ -s ref-bounce/record.tsv ] || fail "grading.md's reference run kept no record"
echo "installed docs: links resolve, the examples and the worked example build from the installed copy"
