#!/usr/bin/env bash
# A dialog over the main window shows in that window's frames
# (STANDIN_HEADLESS_WINDOW): its own pixels at its place, the answer typed
# into it, and a frame without it once it has gone. steered_probe asks one
# line; ImageMagick (convert, compare, identify) reads the pictures.
#   steered_dialog_test.sh STEERED_PROBE RUN_PROBE WORK_DIR (RUN_PROBE unused)
set -euo pipefail
probe=$1 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in convert compare identify; do command -v $tool >/dev/null || fail "needs ImageMagick's $tool"; done

# ask DIR ANSWER [VARIABLES...]: one run answering ANSWER, its frames in DIR.
ask() {
  local dir=$1
  printf '%s\n' "$2" >"$dir.txt"
  shift 2
  timeout 20 env STANDIN_BACKEND=headless STANDIN_HEADLESS_SECONDS=2 STANDIN_HEADLESS_DUMP="$dir" \
    STANDIN_HEADLESS_ANSWERS="$dir.txt" PROBE_ASK=1 "$@" "$probe" 2>"$dir.err" ||
    fail "run $dir ended with $?: $(cat "$dir.err")"
}
ask ada Ada STANDIN_HEADLESS_WINDOW='TELKA Graphics'
ask bob Bob STANDIN_HEADLESS_WINDOW='TELKA Graphics'
ask hosts Ada  # every host on its own: the dialog's pictures as it presented them

# The runs differ only in the answer: while the dialog shows it, their frames differ.
[ "$(ls ada)" = "$(ls bob)" ] || fail "the two runs have different frames: $(ls ada | wc -l), $(ls bob | wc -l)"
typed=
for f in $(ls ada); do cmp -s "ada/$f" "bob/$f" || typed=$f; done
[ -n "$typed" ] || fail "the typed answer shows in no frame of the main window"
last=$(ls ada | tail -n 1)
[ "$typed" != "$last" ] && cmp -s "ada/$last" "bob/$last" || fail "the dialog still shows in the last frame"

# Where the answer's frame differs from the last one is the dialog, exactly its last picture.
place=$(convert "ada/$typed" "ada/$last" -compose difference -composite -trim -format '%wx%h%O' info:)
dialog_host=$(ls hosts | sed 's/.*-host\([0-9]*\)\.png/\1/' | sort -n | tail -n 1)
dialog=hosts/$(ls hosts | grep -- "-host$dialog_host.png" | tail -n 1)
[ "${place%%+*}" = "$(identify -format '%wx%h' "$dialog")" ] ||
  fail "the dialog covers $place of the frame, not its size $(identify -format '%wx%h' "$dialog")"
# TELKA_gets places it 50 x 50 dialog units from the graphics window's client
# area, which starts under the 20-pixel menu bar: 125 x 100 pixels in the
# system font's units (10 x 16).
[ "${place#*+}" = "125+120" ] || fail "the dialog is at $place, not 125 x 120 pixels from the window's corner"
convert "ada/$typed" -crop "$place" +repage typed-dialog.png
compare -metric AE typed-dialog.png "$dialog" null: 2>/dev/null ||
  fail "the frame at $place is not the dialog's picture with the answer typed"
echo "dialog frames: the dialog at $place with its typed answer, then gone from the frames"
