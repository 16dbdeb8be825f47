#!/usr/bin/env bash
# telka-run --sandbox keeps a run to itself and within bounds: the caller's
# environment and host paths do not reach the program, its output, folder
# and /tmp are capped, nothing of a fork
# bomb outlives telka-run, fontconfig stays quiet, a frame PNG whose header
# is oversized is refused before it is decoded, so is a record over its cap,
# and a dialog with no answer
# ends the run at once. Skipped (77) where bwrap cannot make a sandbox.
#   telka_run_bounds_test.sh TELKA_RUN RUN_PROBE WORK_DIR
set -uo pipefail
[ $# = 3 ] || { echo "usage: telka_run_bounds_test.sh TELKA_RUN RUN_PROBE WORK_DIR" >&2; exit 2; }
run=$1 probe=$2 work=$3
# shellcheck source=tests/run/needs_sandbox.sh
. "$(dirname "$0")/needs_sandbox.sh"
rm -rf "$work" && mkdir -p "$work" && cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The caller's secrets and the host's paths stay outside.
cat >peek <<'EOF2'
#!/bin/sh
env >env.txt
cat /proc/self/mountinfo >mounts.txt
pwd >pwd.txt
EOF2
chmod +x peek
TEACHER_API_TOKEN=secret-42 timeout 30 "$run" ./peek --sandbox --workdir "$work/peeked" --result r.json 2>err.txt
[ $? = 0 ] || fail "peek did not run: $(cat err.txt)"
grep -q secret-42 peeked/env.txt && fail "the caller's environment reached the program"
grep -q '^STANDIN_BACKEND=headless$' peeked/env.txt || fail "the stand-in's settings are missing: $(cat peeked/env.txt)"
grep -qF "$work" peeked/mounts.txt peeked/pwd.txt peeked/env.txt r.json && fail "a host path shows inside: $(grep -F "$work" peeked/*.txt r.json | head -3)"

# Output, the folder and /tmp are capped as a whole: 10 MB printed leave
# about 128 KiB with the end kept, and neither 300 MB in the folder nor
# 100 MB in /tmp fit (--file-size, which bounds one file, is off).
cat >greedy <<'EOF2'
#!/bin/sh
head -c 10000000 /dev/zero | tr '\0' x
echo the-last-line
head -c 300000000 /dev/zero >big 2>/dev/null || echo folder-full >&2
head -c 100000000 /dev/zero >/tmp/big 2>/dev/null || echo tmp-full >&2
EOF2
chmod +x greedy
timeout 60 "$run" ./greedy --sandbox --file-size 0 --workdir "$work/greedy-run" --result r.json >out.txt 2>err.txt
[ "$(stat -c %s out.txt)" -lt 200000 ] && [ "$(tail -c 14 out.txt)" = the-last-line ] ||
  fail "the output is not capped to its head and tail: $(stat -c %s out.txt) bytes, ending $(tail -c 40 out.txt)"
grep -q folder-full err.txt && grep -q tmp-full err.txt || fail "the folder or /tmp is not capped: $(cat err.txt)"
[ "$(du -sm greedy-run | cut -f1)" -le 260 ] || fail "the folder kept $(du -sm greedy-run) MB"
rm -rf greedy-run

# A fork bomb that hides in new sessions outlives the timeout; none of it
# may be left once telka-run has returned, whoever runs it.
mark=telka-bomb-$$
printf '#!/bin/sh\nwhile :; do setsid bash -c "exec -a %s sleep 300" & done\n' "$mark" >bomb
chmod 755 bomb
mkdir -m 777 bombs
for who in self nobody; do
  as=()
  if [ "$who" = nobody ]; then
    [ "${#as_nobody[@]}" != 0 ] || continue
    as=("${as_nobody[@]}")
  fi
  timeout 30 "${as[@]}" "$run" ./bomb --sandbox --timeout 1 --workdir "$work/bombs/$who" --result "bombs/$who.json" 2>err.txt
  left=$(pgrep -fc "^$mark" || true)
  [ "$left" = 0 ] || fail "$left processes of the fork bomb are alive after telka-run ($who) returned"
  grep -q '"status":"time-limit"' "bombs/$who.json" || fail "the bomb's result ($who): $(cat "bombs/$who.json" err.txt)"
  pkill -f "^$mark" 2>/dev/null
done

# A student's frame whose header claims 100000 x 100000 pixels, decoded
# under a 200 MB address space: a clear message, not a crash. A sanitizer
# build's shadow memory needs more address space than that
# (TEST_ADDRESS_LIMIT_KB=unlimited).
address_limit=${TEST_ADDRESS_LIMIT_KB:-200000}
timeout 30 env LSAN_OPTIONS=detect_leaks=0 "$run" "$probe" --events 'TELKA_KBD(98)' --save ref 2>err.txt ||
  fail "the reference run: $(cat err.txt)"
cat >huge <<'EOF2'
#!/usr/bin/python3
import os, struct, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
head = struct.pack('>IIBBBBB', 100000, 100000, 8, 6, 0, 0, 0)
os.makedirs(os.environ['STANDIN_HEADLESS_DUMP'], exist_ok=True)
open(os.environ['STANDIN_HEADLESS_DUMP'] + '/frame-000001.png', 'wb').write(
    b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', head) + chunk(b'IDAT', zlib.compress(b'\0' * 65536)) + chunk(b'IEND', b''))
open(os.environ['STANDIN_HEADLESS_RECORD'], 'w').write('frame\t1\t0\t0\t\nend\n')
EOF2
chmod +x huge
(ulimit -v "$address_limit"; timeout 30 "$run" ./huge --sandbox --expect ref --report rep --result r.json >out.txt 2>err.txt)
status=$?
[ "$status" = 1 ] || fail "an oversized frame: status $status ($(tail -3 err.txt))"
grep -q '100000 x 100000' err.txt || fail "no word on the oversized frame: $(tail -3 err.txt)"

# A record of 100 MB (within the folder's cap, --file-size off) is refused, not read whole.
cat >long-record <<'EOF2'
#!/bin/sh
truncate -s 100M "$STANDIN_HEADLESS_RECORD"
EOF2
chmod +x long-record
(ulimit -v "$address_limit"; timeout 30 "$run" ./long-record --sandbox --file-size 0 --expect ref --result r.json >out.txt 2>err.txt)
status=$?
[ "$status" = 1 ] || fail "an oversized record: status $status ($(tail -3 err.txt))"
grep -q 'larger than 64 MiB' r.json err.txt || fail "no word on the oversized record: $(cat r.json; tail -3 err.txt)"

# No --answers: the dialog ends the run at once, not after an hour of the program's time.
timeout 30 "$run" "$probe" --sandbox --events 'TELKA_KBD(63); TELKA_PERIODIC(20)' --result r.json 2>err.txt
grep -q Fontconfig err.txt && fail "fontconfig complains: $(grep Fontconfig err.txt | head -2)"
grep -q '"status":"no-answer"' r.json || fail "an unanswered dialog: $(cat r.json)"
seconds=$(grep -o '"virtual_seconds":[0-9.]*' r.json | cut -d: -f2)
awk -v s="${seconds:-9999}" 'BEGIN { exit !(s < 1) }' || fail "the unanswered dialog took $seconds seconds of the program's time"

[ "$failures" = 0 ] || exit 1
echo "bounds: no caller's variable or host path inside, capped output and disk, no process left, quiet fonts, bounded frames, no-answer at once"
