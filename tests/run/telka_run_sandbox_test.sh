#!/usr/bin/env bash
# telka-run --sandbox: the program writes in its own folder and nowhere else
# (not beside it, not in /usr, not in the real /tmp), cannot read a file
# beside the reference run, and a TELKA program still runs there. Skipped
# (status 77) where bwrap cannot make a sandbox on this machine.
#   telka_run_sandbox_test.sh TELKA_RUN RUN_PROBE WORK_DIR
set -uo pipefail
[ $# = 3 ] || { echo "usage: telka_run_sandbox_test.sh TELKA_RUN RUN_PROBE WORK_DIR" >&2; exit 2; }
run=$1 probe=$2 work=$3
if ! command -v bwrap >/dev/null || ! bwrap --unshare-all --ro-bind / / true 2>/dev/null; then
  echo "SKIP: bwrap cannot make a sandbox here (Debian's bubblewrap, and user or root namespaces)"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work/outside" "$work/ref" && cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

echo 'the expected answer' >ref/secret.txt
mark=/tmp/telka-sandbox-escape-$$
cat >escape <<EOF2
#!/bin/sh
echo inside >inside.txt
if echo x >"$work/outside/escaped.txt" 2>/dev/null; then echo wrote-outside; else echo no-write; fi >>log.txt
if cat "$work/ref/secret.txt" >/dev/null 2>&1; then echo read-secret; else echo no-read; fi >>log.txt
if echo x >/usr/escaped 2>/dev/null; then echo wrote-usr; else echo no-usr; fi >>log.txt
echo x >$mark
EOF2
chmod +x escape

timeout 30 "$run" ./escape --sandbox --workdir "$work/kept" --result r.json 2>err.txt
[ $? = 0 ] || fail "the escape attempt did not run to its end: $(cat err.txt)"
[ "$(cat kept/log.txt 2>/dev/null | tr '\n' ' ')" = "no-write no-read no-usr " ] ||
  fail "inside the sandbox: $(cat kept/log.txt 2>/dev/null)"
[ -f kept/inside.txt ] || fail "the program could not write in its own folder"
[ ! -e outside/escaped.txt ] && [ ! -e /usr/escaped ] && [ ! -e "$mark" ] || fail "a file was written outside"
rm -f "$mark" /usr/escaped

# A sanitizer build's leak suppressions lie outside the sandbox, out of its reach.
timeout 30 env LSAN_OPTIONS=detect_leaks=0 "$run" "$probe" --sandbox --events 'TELKA_KBD(97)' --result r.json 2>err.txt
[ $? = 0 ] || fail "run_probe in the sandbox: $(cat err.txt)"
grep -qF '"event 1: kind 2 at (0, 0) key 97"' r.json || fail "run_probe in the sandbox: $(cat r.json)"

# Without bwrap the run is refused, never made without the sandbox.
timeout 30 env PATH=/nonexistent "$run" "$work/escape" --sandbox --workdir "$work/refused" --result r.json 2>err.txt
[ $? = 3 ] || fail "no bwrap: not status 3"
grep -q 'cannot run bwrap' err.txt || fail "no bwrap: $(cat err.txt)"
[ ! -e refused/inside.txt ] || fail "no bwrap: the program ran anyway"

[ "$failures" = 0 ] || exit 1
echo "telka-run --sandbox: no write outside the folder, no read beside the reference"
