#!/usr/bin/env bash
# The run's record (STANDIN_HEADLESS_RECORD) on steered_probe: every drawing
# call, logged or not, before the frame that shows it; frames numbered as the
# dumps name their files; each frame with the script line played before it
# (blank lines counted) and its text escaped; an end line last. Recording
# leaves the text file byte for byte as a run without it writes it, and the
# probe's printed lines that look like announcements stay text.
#   steered_record_test.sh STEERED_PROBE RUN_PROBE WORK_DIR (RUN_PROBE unused)
set -euo pipefail
probe=$1 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

printf 'TELKA_MOUSE(10,\t20);\n\nTELKA_KBD(97);\n' >TELKA.SCR
steer() {
  env STANDIN_BACKEND=headless STANDIN_HEADLESS_WINDOW='TELKA Graphics' STANDIN_HEADLESS_SECONDS=60 \
    STANDIN_HEADLESS_PLAY_ITEM='&Playback Script' "$@" "$probe"
}
steer STANDIN_HEADLESS_TEXT=plain.txt 2>plain.err || fail "plain run ended with $?: $(cat plain.err)"
steer STANDIN_HEADLESS_TEXT=text.txt STANDIN_HEADLESS_RECORD=record.tsv STANDIN_HEADLESS_DUMP=frames 2>rec.err \
  || fail "recorded run ended with $?: $(cat rec.err)"
cmp plain.txt text.txt || fail "recording changed the text file"

# The first tick (50 ms) falls before the first event is played. Each call
# carries its line and file (compared without the file's folders).
source="$(dirname "$0")/steered_probe.c"
at() { printf '%s\tsteered_probe.c' "$(grep -nF "$1" "$source" | head -1 | cut -d: -f1)"; }
{
  printf 'call\t%s\t%s\n' 'Clearing the graphics window' "$(at 'TELKA_clear();')" \
    'red circle at (0,0), radius 10' "$(at 'TELKA_circle(')" \
    'blue text at (0,20), "tab\there, back\\slash"' "$(at 'TELKA_text(')"
  printf 'frame\t1\t0\t0\t\nframe\t2\t0\t0\t\n'
  pixel=$(at 'TELKA_pixel(')
  printf 'call\tblack pixel at (0,0)\t%s\nframe\t3\t50000000\t1\tTELKA_MOUSE(10,\\t20);\n' "$pixel"
  printf 'call\tblack pixel at (0,0)\t%s\nframe\t4\t50000000\t3\tTELKA_KBD(97);\n' "$pixel"
  printf 'end\t\n'
} >expected.tsv
sed -E 's|\t[^\t]*/([^/\t]*)$|\t\1|' record.tsv >record-files.tsv
diff -u expected.tsv record-files.tsv || fail "the record is not the calls and frames of the run"
grep -qxF 'TELKA call: forged call' text.txt && grep -qxF 'TELKA script line 3: forged line' text.txt \
  || fail "the printed lines are not in the text file as printed: $(cat text.txt)"
[ "$(ls frames)" = "$(printf 'frame-%06d.png\n' 1 2 3 4)" ] || fail "the record's frames are not the dumped ones"
echo "record: calls with logging off, frames as dumped, script lines, escapes; text file unchanged"
