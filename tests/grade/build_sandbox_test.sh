#!/usr/bin/env bash
# The walls around a submission's build, one check each: file names are
# never options, links left by the build are not followed, a file only root
# may read cannot be included, host paths stay out of the log, and a machine
# whose bwrap cannot make namespaces stops before marking (setup.sh too).
#   build_sandbox_test.sh TELKA_GRADE SOURCE_DIR BUILD_DIR WORK_DIR
set -euo pipefail
grade=$1 src=$2 build=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
. "$here/make_class.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work"
make_class "$work" "$src"
build_tree_flags "$src" "$build"
example=$src/examples/mouse_draw.c
if ! command -v bwrap >/dev/null || ! bwrap --unshare-user --ro-bind / / true 2>/dev/null; then
  echo "SKIPPED: bwrap cannot make a user namespace here, so the build's sandbox cannot be checked"
  exit 0
fi
"$grade" tests --prepare >prepare.out 2>&1 || { echo "FAIL: --prepare: $(cat prepare.out)" >&2; exit 1; }

# mark NAME [telka-grade options]: marks the folder NAME alone into NAME.json; sets rc.
mark() {
  local name=$1
  shift
  rc=0
  "$grade" tests --one "$name" --results "$name.json" --out "out-$name" "$@" >"$name.out" 2>&1 || rc=$?
  [ -f "$name.json" ] || { fail "$name: no results.json (status $rc): $(tail -3 "$name.out")"; return 1; }
}
has() { grep -qF -- "$2" "$1.json"; }

# An options file named by a source: @x.c must not make the compiler read
# x.c as options (which would run payload.sh), and the log names no host folder.
mkdir at && cp "$example" at/@x.c
printf -- '-wrapper sh,payload.sh ./@x.c\n' >at/x.c
printf 'echo PAYLOAD-RAN >&2\nexec "$@"\n' >at/payload.sh
if mark at; then
  ! has at PAYLOAD-RAN || fail "@x.c was read as an options file: the payload ran"
  has at './x.c' || fail "x.c was not compiled as a source by its relative name: $(cat at.json)"
fi
# A link error names the objects by relative names, never the build's folder
# (the library's own paths may show, as the flags name them).
mkdir undefined && printf 'void missing(void);\nvoid call(void) { missing(); }\n' >undefined/main.c
if mark undefined; then
  has undefined 'missing' || fail "the link error is not in the log: $(cat undefined.json)"
  ! has undefined "$work" && ! has undefined "/telka-build-" || fail "the build log shows a host folder: $(cat undefined.json)"
fi

# A name starting with '-' is a file, not an option.
mkdir dash && cp "$example" dash/-2+3.c
mark dash && { has dash '"score": 2,' || fail "-2+3.c did not build and pass: $(cat dash.json)"; }

# Whatever runs in the build may replace its program and log with links (a
# compiler wrapper stands in for any such trick): the grader follows neither.
# bob's program draws the wrong colour; the link points at a correct one.
cc "$example" $TELKA_GRADE_CFLAGS $TELKA_GRADE_LIBS -o good-program
printf 'SECRET-TOKEN-7\n' >secret.txt && chmod 600 secret.txt
# links.sh MODE: runs the compiler's step, then at the link swaps the program
# for a link (MODE program), or links the log at the secret and fails (MODE log).
for mode in program log; do
  cat >"links-$mode.sh" <<SH
#!/bin/sh
"\$@"; rc=\$?
echo WRAPPER-RAN >&2
prev=; out=
for a; do [ "\$prev" = -o ] && out=\$a; prev=\$a; done
case \$out in
*program) if [ $mode = log ]; then ln -sf "$work/secret.txt" "\$(dirname "\$out")/build.log"; exit 1; fi
          rm -f "\$out"; ln -s "$work/good-program" "\$out" ;;
esac
exit \$rc
SH
  chmod 755 "links-$mode.sh"
done
mkdir program-link && cp subs/bob.c program-link/main.c
if mark program-link --libs "$TELKA_GRADE_LIBS -wrapper $work/links-program.sh"; then
  has program-link WRAPPER-RAN || has program-link '"score": 2,' || fail "the wrapper did not run: $(cat program-link.json)"
  ! has program-link '"score": 2,' || fail "the grader followed the program's link and marked another build"
  has program-link 'is a link' || fail "a linked program is not said to be one: $(cat program-link.json)"
fi
mkdir log-link && cp subs/bob.c log-link/main.c
if mark log-link --libs "$TELKA_GRADE_LIBS -wrapper $work/links-log.sh"; then
  has log-link WRAPPER-RAN || has log-link SECRET-TOKEN-7 || fail "the wrapper did not run: $(cat log-link.json)"
  ! has log-link SECRET-TOKEN-7 || fail "the grader read the build's log through its link"
fi

# A file only root may read, in a folder the build can see: as root the
# build runs as nobody, so the include fails as for any user.
if [ "$(id -u)" = 0 ]; then
  mkdir inc && printf 'int secret_token_9 = oops;\n' >inc/secret.h && chmod 600 inc/secret.h
  mkdir include-secret && printf '#include "secret.h"\nint main(void) { return 0; }\n' >include-secret/main.c
  if mark include-secret --cflags "$TELKA_GRADE_CFLAGS -I$work/inc"; then
    ! has include-secret secret_token_9 || fail "the build read a file only root may read"
    has include-secret 'Permission denied' || fail "the include did not fail for want of permission: $(cat include-secret.json)"
  fi
else
  echo "not root: the root-only include is not checked (the build runs as this user)"
fi

# A bwrap that cannot make namespaces: telka-grade stops before marking.
# The fakes lie where the sandbox's user finds them on PATH (this folder may
# be closed to that user, under /root).
real_bwrap=$(command -v bwrap)
fakes=$(mktemp -d "${TMPDIR:-/tmp}/fake-bwrap.XXXXXX")
trap 'rm -rf "$fakes"' EXIT
chmod 755 "$fakes"
cd "$fakes"
mkdir no-ns no-build
printf '#!/bin/sh\necho "bwrap: No permissions to create new namespace, likely because the kernel does not allow non-privileged user namespaces." >&2\nexit 1\n' >no-ns/bwrap
# This one passes the check but fails at the build: the grader's failure, not the student's.
printf '#!/bin/sh\nfor a; do last=$a; done\n[ "$last" = true ] && exec %s "$@"\necho "bwrap: No permissions to create new namespace" >&2\nexit 1\n' \
  "$real_bwrap" >no-build/bwrap
chmod 755 no-ns/bwrap no-build/bwrap
cd "$work"
rc=0
PATH="$fakes/no-ns:$PATH" "$grade" tests subs --out out-no-ns >no-ns.out 2>&1 || rc=$?
[ $rc = 3 ] || fail "with no namespaces telka-grade ended with $rc, not 3"
grep -q 'No permissions to create new namespace' no-ns.out || fail "telka-grade did not say why: $(cat no-ns.out)"
[ ! -e out-no-ns/alice ] && ! grep -q '\[1/' no-ns.out || fail "telka-grade marked a submission without a sandbox"
mkdir fails-build && cp subs/alice.c fails-build/main.c
rc=0
PATH="$fakes/no-build:$PATH" mark fails-build && {
  [ $rc = 3 ] || fail "a build whose sandbox failed ended with $rc, not 3"
  has fails-build 'could not mark this submission' || fail "the student is not told the grader failed: $(cat fails-build.json)"
}

# setup.sh of the autograder stops with a message instead of saying ready.
cmake --install "$build" --prefix "$work/prefix" >install.log || fail "cmake --install: $(tail -5 install.log)"
"$work/prefix/bin/telka-grade" tests --autograder "$work/autograder.zip" >zip.log 2>&1 || fail "--autograder: $(cat zip.log)"
mkdir service && (cd service && cmake -E tar xf "$work/autograder.zip")
rc=0
(cd service && env -u PKG_CONFIG_PATH PATH="$fakes/no-ns:/usr/bin:/bin" bash ./setup.sh) >setup.log 2>&1 || rc=$?
[ $rc != 0 ] || fail "setup.sh succeeded with no namespaces"
! grep -q 'ready$' setup.log || fail "setup.sh said ready with no namespaces"
grep -q 'NOT READY' setup.log || fail "setup.sh gave the teacher no message: $(cat setup.log)"

[ $failures = 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "build sandbox: names, links, root's files, host paths and a machine with no namespaces handled"
