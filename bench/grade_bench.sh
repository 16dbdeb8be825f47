#!/usr/bin/env bash
# Time to mark a class of game-sized programs with telka-grade (copies of
# game/'s sources, a few with planted faults, three tests), and what the limits
# and the sandbox add to one telka-run run. Builds against the library
# installed from BUILD_DIR into a scratch prefix; prints figures, asserts nothing.
#   bench/grade_bench.sh [BUILD_DIR] [SUBMISSIONS] [JOBS] [RUNS]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
count=${2:-50} jobs=${3:-$(nproc)} runs=${4:-10}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

cmake --build "$build" --target telka_package telka-run telka-grade >/dev/null
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
pc=$(find "$scratch/prefix" -name telka.pc -print -quit)
export PATH="$scratch/prefix/bin:$PATH" PKG_CONFIG_PATH=${pc%/telka.pc}

# The teacher's side: the game as the reference, three scripts of play.
tests=$scratch/tests
mkdir -p "$tests/reference"
cp "$src"/game/*.cpp "$src"/game/*.h "$tests/reference/"
test_case() { # test_case NAME SCRIPT-LINES...
  local name=$1
  shift
  mkdir -p "$tests/$name"
  printf '%s\n' "$@" >"$tests/$name/script.scr"
  printf 'name = %s\ntimeout = 10\n' "$name" >"$tests/$name/test.conf"
}
# Keys: 32 Space (start, ready), 48 '0' (fire), 52/54/56 '4'/'6'/'8' (steer).
test_case title 'TELKA_PERIODIC(100);'
test_case steer 'TELKA_PERIODIC(20);' 'TELKA_KBD(32);' 'TELKA_PERIODIC(10);' 'TELKA_KBD(32);' \
  'TELKA_PERIODIC(20);' 'TELKA_KBD(54);' 'TELKA_PERIODIC(30);' 'TELKA_KBD(56);' 'TELKA_PERIODIC(30);' \
  'TELKA_KBD(52);' 'TELKA_PERIODIC(30);'
test_case shoot 'TELKA_PERIODIC(20);' 'TELKA_KBD(32);' 'TELKA_PERIODIC(10);' 'TELKA_KBD(32);' \
  'TELKA_PERIODIC(10);' 'TELKA_KBD(48);' 'TELKA_PERIODIC(20);' 'TELKA_KBD(54);' 'TELKA_KBD(48);' \
  'TELKA_PERIODIC(20);' 'TELKA_KBD(56);' 'TELKA_KBD(48);' 'TELKA_PERIODIC(60);'

# SUBMISSIONS 0 skips the class and measures single runs only.
if [ "$count" -gt 0 ]; then
# The class: copies of the game; every tenth has a planted fault, each of another kind.
class=$scratch/class
planted=""
for i in $(seq -w 1 "$count"); do
  d=$class/student-$i
  mkdir -p "$d"
  cp "$src"/game/*.cpp "$src"/game/*.h "$d/"
  [ $((10#$i % 10)) = 0 ] || continue
  case $((10#$i / 10 % 5)) in
    1) sed -i 's/TELKA_rectangle(TELKA_YELLOW/TELKA_rectangle(TELKA_GOLD/' "$d/screen.cpp" && planted+=" $i:colour" ;;
    2) sed -i 's/player_x + 20, player_y + 20/player_x + 21, player_y + 20/' "$d/screen.cpp" && planted+=" $i:off-by-one" ;;
    3) sed -i 's/case TELKA_PERIODIC:/case TELKA_PERIODIC: { static int n; if (++n == 60) { volatile int *p = nullptr; *p = 1; } }/' "$d/main.cpp" && planted+=" $i:crash" ;;
    4) sed -i 's/case TELKA_PERIODIC:/case TELKA_PERIODIC: { static int n; if (++n == 60) for (volatile int k = 0;; k = k + 1) {} }/' "$d/main.cpp" && planted+=" $i:hang" ;;
    0) echo 'int unfinished(' >>"$d/world.cpp" && planted+=" $i:build-error" ;;
  esac
done

echo "telka-grade: $count submissions of the game ($(cat "$src"/game/*.cpp "$src"/game/*.h | wc -l) lines each), 3 tests, --jobs $jobs"
echo "  planted faults:$planted"
start=$(now)
telka-grade "$tests" --prepare >"$scratch/prepare.log" 2>&1 || { cat "$scratch/prepare.log"; exit 1; }
prepared=$(now)
telka-grade "$tests" "$class" --out "$scratch/marks" --jobs "$jobs" >"$scratch/grade.log" 2>&1 ||
  { tail -20 "$scratch/grade.log"; exit 1; }
done_at=$(now)
echo "  reference runs (--prepare):  $(seconds "$start" "$prepared") s"
echo "  marking the class:           $(seconds "$prepared" "$done_at") s ($(awk -v t="$(seconds "$prepared" "$done_at")" -v n="$count" 'BEGIN { printf "%.2f", t / n }') s a submission)"
awk -F, 'NR > 1 { b += $2; r += $3; n++ } END { if (n) printf "  per submission, summed over the class: build %.2f s, runs %.2f s\n", b / n, r / n }' \
  "$scratch/marks/timing.csv"
awk -F, 'NR > 1 { full += ($2 == $3); zero += ($2 == 0) } END { printf "  marks: %d full, %d zero, %d between\n", full, zero, NR - 1 - full - zero }' \
  "$scratch/marks/summary.csv"
fi

# One run of the game's steer test, RUNS times each way: as before, with
# every limit, and with the limits in the sandbox.
game=$scratch/game
c++ -O2 "$src"/game/*.cpp $(pkg-config --cflags --libs telka) -o "$game"
per_run() { # per_run LABEL telka-run-options...
  local label=$1 t0 t1 failed=0
  shift
  t0=$(now)
  for _ in $(seq "$runs"); do
    telka-run "$game" --script "$tests/steer/script.scr" "$@" >/dev/null 2>&1 || failed=$((failed + 1))
  done
  t1=$(now)
  awk -v a="$t0" -v b="$t1" -v n="$runs" -v l="$label" -v f="$failed" \
    'BEGIN { printf "  %-40s %7.1f ms a run%s\n", l, (b - a) * 1000 / n, f ? " (" f " runs did not end with status 0)" : "" }'
}
telka-run "$game" --script "$tests/steer/script.scr" --save "$scratch/steer-expected" >/dev/null 2>&1
echo "telka-run, the game on the steer test ($(wc -l <"$tests/steer/script.scr") script lines), $runs runs each:"
per_run "no limits" --timeout 0 --file-size 0
per_run "limits (timeout, cpu, memory, ...)" --timeout 60 --cpu 60 --memory 2048 --file-size 64 --processes 4096
if command -v bwrap >/dev/null && bwrap --ro-bind / / --unshare-net --unshare-pid --unshare-ipc true 2>/dev/null; then
  per_run "limits and --sandbox" --timeout 60 --cpu 60 --memory 2048 --file-size 64 --processes 4096 --sandbox
else
  echo "  --sandbox: bubblewrap cannot make a sandbox here"
fi
per_run "--expect (frames saved and compared)" --expect "$scratch/steer-expected" --report "$scratch/steer-report"
