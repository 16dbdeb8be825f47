# Shared helpers of the Windows checks (sourced by the wine-* checks beside it): the Wine
# environment, starting a program and waiting for its exit status, finding
# windows, screenshots and pixel counts. Needs DISPLAY (tests/with-xvfb),
# xdotool and ImageMagick; WINEPREFIX names a prefix from tests/windows/wine-prefix.
# shellcheck shell=bash

: "${WINEPREFIX:?WINEPREFIX must name the prefix made by tests/windows/wine-prefix}"
export WINEPREFIX WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

failures=0
pass() { echo "  ok   $*"; }
fail() {
  echo "  FAIL $*"
  failures=$((failures + 1))
}

# start_program DIR NAME COMMAND...: runs COMMAND in DIR in the background;
# its output goes to DIR/NAME.log and its exit status, once it ends, to
# DIR/NAME.status. Sets started_pid to the background job.
start_program() {
  local dir=$1 name=$2
  shift 2
  rm -f "$dir/$name.status"
  (
    cd "$dir" || exit 1
    "$@" >"$name.log" 2>&1
    echo $? >"$name.status.tmp" && mv "$name.status.tmp" "$name.status"
  ) &
  # shellcheck disable=SC2034 # read by the scripts that source this file
  started_pid=$!
}

# wait_status DIR NAME SECONDS: prints the exit status of a program started
# with start_program; fails when it has not ended in time.
wait_status() {
  local file=$1/$2.status end=$((SECONDS + $3))
  while [ ! -f "$file" ]; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
  cat "$file"
}

# stop_program PID: ends a program started with start_program that is still
# running, and every Windows process of this prefix with it.
stop_program() {
  kill "$1" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# wait_window TITLE SECONDS: prints the id of the visible window with exactly
# this title once it exists.
wait_window() {
  local title=$1 end=$((SECONDS + $2)) id
  while :; do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}

# wait_gone TITLE SECONDS: succeeds once no window has this title.
wait_gone() {
  local end=$((SECONDS + $2))
  while xdotool search --name "^${1}\$" >/dev/null 2>&1; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}

# shot WINDOW FILE: a screenshot of one window.
shot() { import -window "$1" "$2"; }

# count_color FILE COLOR: pixels of exactly this colour (#RRGGBB) below the
# top 45 rows (caption and menu bar), where only the client area is.
count_color() {
  convert "$1" -crop +0+45 +repage -fill black +opaque "$2" -fill white -opaque "$2" \
    -format "%[fx:round(mean*w*h)]" info:
}

# centre_color FILE COLOR: "X Y", the centre of the box around the pixels of
# this colour (which must be present).
centre_color() {
  convert "$1" -fill black +opaque "$2" -trim -format "%[fx:round(page.x+w/2)] %[fx:round(page.y+h/2)]\n" info:
}

# same_image A B: succeeds when the two screenshots are identical.
same_image() { compare -metric AE "$1" "$2" null: >/dev/null 2>&1; }

# count_windows CLASS: visible windows of the program with this class name;
# an open popup menu counts as one.
count_windows() { xdotool search --onlyvisible --class "^${1}\$" 2>/dev/null | wc -l; }
