#!/usr/bin/env bash
# telka-run's exit statuses and the options that end or place a run: the
# program's own status, 128 + N for a signal, 4 for a program that outlives
# its window, 126 and 127 as the shell gives them, 2 for option mistakes and
# for a script that is not a regular file or is too long (refused at once,
# never read forever); --seconds on an animating run_probe, and --workdir
# against the default temporary folder. Programs other than run_probe are
# small shell scripts: telka-run runs any executable.
#   telka_run_status_test.sh TELKA_RUN RUN_PROBE WORK_DIR
set -uo pipefail
run=$1 probe=$2 work=$3
rm -rf "$work" && mkdir -p "$work/tmp" && cd "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# status_is EXPECTED WHAT COMMAND...: the command ends within 20 s with EXPECTED.
status_is() {
  local expected=$1 what=$2
  shift 2
  timeout 20 "$@" >out.txt 2>err.txt
  local got=$?
  [ "$got" = "$expected" ] || fail "$what: status $got, expected $expected ($(head -c 300 err.txt))"
}

printf '#!/bin/sh\nexit 7\n' >seven && chmod +x seven
printf '#!/bin/sh\nkill -SEGV $$\n' >segv && chmod +x segv
printf '#!/bin/sh\nexit 0\n' >not-executable && chmod -x not-executable
printf '#!/bin/sh\npwd >"$WHERE"; ls >>"$WHERE"\n' >where && chmod +x where

status_is 7 "the program's own status" "$run" ./seven
status_is 139 "a program ended by SIGSEGV" "$run" ./segv
status_is 4 "a program that ignores quit" "$run" "$probe" --events 'TELKA_KBD(105)'
grep -q 'did not end when its window was closed' err.txt || fail "no word on the program that did not end"
status_is 126 "a program that is not executable" "$run" ./not-executable
status_is 126 "a folder as the program" "$run" "$work/tmp"
status_is 127 "a program that is not there" "$run" ./missing
status_is 127 "a name not in PATH" "$run" telka-run-test-no-such-program

# Option mistakes: status 2 and a line that names the mistake.
while IFS='|' read -r words message; do
  read -ra args <<<"$words"
  status_is 2 "telka-run ${words}" "$run" "${args[@]}"
  grep -q -- "$message" err.txt || fail "telka-run ${words}: no '$message' in: $(cat err.txt)"
done <<EOF
./seven --bogus|unknown option '--bogus'
./seven --seconds|--seconds needs a value
./seven --seconds 0|--seconds wants a number of seconds above 0
./seven --seconds -1|--seconds wants a number of seconds above 0
./seven --seconds soon|--seconds wants a number of seconds above 0
./seven --every 0 --frames f|--every wants a whole number above 0
./seven --last|--every and --last choose frames for --frames DIR
./seven --max-events 3|--max-events counts the events
./seven --script a --events b|--script and --events both give the script
./seven ./seven|one program at a time
--seconds 1|usage: telka-run PROGRAM
EOF
status_is 0 "--help" "$run" --help
grep -q '^usage: telka-run PROGRAM' out.txt || fail "--help printed no usage on stdout"
grep -q '126 when PROGRAM is there' out.txt && grep -q '127 when it is not found' out.txt ||
  fail "--help does not give the statuses 126 and 127 as they are"

# Scripts that are not regular files, or are longer than any script, are
# refused before the program starts: nothing is read from them.
mkfifo fifo
: >too-long && truncate -s 17M too-long
for script in /dev/zero fifo "$work/tmp" too-long; do
  status_is 2 "--script $script" "$run" ./seven --script "$script"
  grep -q "telka-run: the script '$script' is" err.txt || fail "--script $script: $(cat err.txt)"
done
status_is 2 "a script that is not there" "$run" ./seven --script missing.scr

# --seconds ends an animating program after that much of its time: 20
# periodic events a second.
for s in 0.5 2; do
  status_is 0 "--seconds $s" env RUN_PROBE_ANIMATE=1 "$run" "$probe" --seconds "$s" --text "s$s.txt"
  n=$(grep -c 'kind 3' "s$s.txt")
  [ "$n" = "$(awk "BEGIN { print $s * 20 }")" ] || fail "--seconds $s gave $n periodic events"
done

# --workdir: the program runs there and the folder, with the script, stays;
# without it the program runs in a new folder under TMPDIR, removed after.
status_is 0 "--workdir" env WHERE="$work/where-given.txt" "$run" ./where --workdir kept --events 'TELKA_KBD(97)'
[ "$(head -n 1 where-given.txt)" = "$work/kept" ] || fail "--workdir: the program ran in $(head -n 1 where-given.txt)"
grep -qx 'TELKA.SCR' where-given.txt || fail "--workdir: no TELKA.SCR beside the program"
grep -qx 'TELKA_KBD(97);' kept/TELKA.SCR || fail "--workdir: the folder did not keep the script"
status_is 0 "the default folder" env TMPDIR="$work/tmp" WHERE="$work/where-default.txt" "$run" ./where
case "$(head -n 1 where-default.txt)" in
  "$work"/tmp/telka-run-*) ;;
  *) fail "without --workdir the program ran in $(head -n 1 where-default.txt)" ;;
esac
[ -z "$(ls -A tmp)" ] || fail "the temporary folder was left behind: $(ls tmp)"

[ "$failures" = 0 ] || exit 1
echo "telka-run: statuses, option errors, script refusals, --seconds and --workdir as expected"
