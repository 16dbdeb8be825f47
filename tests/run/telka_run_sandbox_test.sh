#!/usr/bin/env bash
# telka-run --sandbox: the program writes in its own folder and nowhere else
# (not beside it, not in /usr, not in the real /tmp), cannot read a file
# beside the reference run, is never root, is held to --processes, and a
# TELKA program still runs there, even from a folder only root can enter.
# Skipped (status 77) where bwrap cannot make a sandbox on this machine.
#   telka_run_sandbox_test.sh TELKA_RUN RUN_PROBE WORK_DIR
set -uo pipefail
[ $# = 3 ] || { echo "usage: telka_run_sandbox_test.sh TELKA_RUN RUN_PROBE WORK_DIR" >&2; exit 2; }
run=$1 probe=$2 work=$3
# As the runner makes it: in a user namespace, by nobody when we are root.
# shellcheck source=tests/run/needs_sandbox.sh
. "$(dirname "$0")/needs_sandbox.sh"
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
id -u >uid.txt
EOF2
chmod +x escape

timeout 30 "$run" ./escape --sandbox --workdir "$work/kept" --result r.json 2>err.txt
[ $? = 0 ] || fail "the escape attempt did not run to its end: $(cat err.txt)"
[ "$(cat kept/log.txt 2>/dev/null | tr '\n' ' ')" = "no-write no-read no-usr " ] ||
  fail "inside the sandbox: $(cat kept/log.txt 2>/dev/null)"
[ -f kept/inside.txt ] || fail "the program could not write in its own folder"
[ ! -e outside/escaped.txt ] && [ ! -e /usr/escaped ] && [ ! -e "$mark" ] || fail "a file was written outside"
rm -f "$mark" /usr/escaped
uid=$(cat kept/uid.txt 2>/dev/null)
[ -n "$uid" ] && [ "$uid" != 0 ] || fail "the program ran as user '$uid'"
[ "$(stat -c %u kept/uid.txt)" = "$(stat -c %u kept)" ] || fail "what the program wrote is not its folder owner's"

# Forks until a fork fails; --processes holds inside the sandbox, where root
# is not exempt and the user's processes outside do not count.
cat >forker <<'EOF2'
#!/usr/bin/perl
my $n = 0;
for (1 .. 40) { my $p = fork; last unless defined $p; if (!$p) { sleep 10; exit 0 } $n++ }
open(my $f, '>', 'forks.txt') or die "forks.txt: $!";
print $f "$n\n";
EOF2
chmod +x forker
forks_held() {  # folder: 1 to 7 forks made under --processes 8
  local n
  n=$(cat "$1/forks.txt" 2>/dev/null)
  [ -n "$n" ] && [ "$n" -ge 1 ] && [ "$n" -lt 8 ]
}
timeout 30 "$run" ./forker --sandbox --processes 8 --workdir "$work/forks" --result r.json 2>err.txt
[ $? = 0 ] && forks_held forks || fail "--processes 8: $(cat forks/forks.txt err.txt 2>/dev/null)"
if [ "${#as_nobody[@]}" != 0 ]; then
  # An ordinary user with more processes running than the limit allows.
  mkdir -m 777 user
  sleepers=()
  for _ in 1 2 3 4 5 6 7 8 9 10; do "${as_nobody[@]}" sleep 60 & sleepers+=($!); done
  timeout 30 "${as_nobody[@]}" "$run" ./forker --sandbox --processes 8 --workdir "$work/user/forks" \
    --result user/r.json 2>err.txt
  [ $? = 0 ] && forks_held user/forks || fail "--processes 8 as a user: $(cat user/forks/forks.txt err.txt 2>/dev/null)"
  kill "${sleepers[@]}" 2>/dev/null
fi

# From a folder only its owner can enter, as a clone under /root. A
# sanitizer build's leak suppressions lie outside the sandbox, out of its reach.
mkdir -m 700 private && cp "$probe" private/
timeout 30 env LSAN_OPTIONS=detect_leaks=0 "$run" private/"$(basename "$probe")" --sandbox --workdir private/wd \
  --events 'TELKA_KBD(97)' --result r.json 2>err.txt
[ $? = 0 ] || fail "run_probe in the sandbox: $(cat err.txt)"
grep -qF '"event 1: kind 2 at (0, 0) key 97"' r.json || fail "run_probe in the sandbox: $(cat r.json)"

# bwrap passes a signal on as 128 + N; a program's own exit with such a
# status is still its own.
echo 139 >private/wd/run_probe_status
timeout 30 env LSAN_OPTIONS=detect_leaks=0 "$run" private/"$(basename "$probe")" --sandbox \
  --workdir private/wd --events 'TELKA_KBD(113)' --result r.json 2>err.txt
grep -q '"status": *"exited".*"exit_status": *139' <(tr -d '\n' <r.json) || fail "exit 139 in the sandbox: $(cat r.json)"

# Without bwrap the run is refused, never made without the sandbox.
timeout 30 env PATH=/nonexistent "$run" "$work/escape" --sandbox --workdir "$work/refused" --result r.json 2>err.txt
[ $? = 3 ] || fail "no bwrap: not status 3"
grep -q 'cannot run bwrap' err.txt || fail "no bwrap: $(cat err.txt)"
[ ! -e refused/inside.txt ] || fail "no bwrap: the program ran anyway"

[ "$failures" = 0 ] || exit 1
echo "telka-run --sandbox: no write outside the folder, no read beside the reference, not root, processes held"
