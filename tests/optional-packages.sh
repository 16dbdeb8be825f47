# The one way a check that needs packages a machine may not be able to have
# (Wine's 32-bit packages while Debian's i386 lists are broken, the cross
# compiler) installs them or skips. Sourced by tests/windows/test-windows and
# tests/package/test-package.
#
# need_packages SET: installs SET with scripts/install-deps. Returns 0 when
# they are there; 1 when apt cannot have them (install-deps' status 3), with
# its one line in $skip_reason. Any other failure (not root, a broken dpkg)
# ends the check: that is no reason to skip.
#
# skipped WHAT: prints "SKIPPED: WHAT" and, when TELKA_SKIPPED names a file
# (.ci/run sets it), adds "WHAT (the reason)" to it for CI's summary.
# shellcheck shell=bash

skip_reason=""
need_packages() {
  local root err status=0
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  err=$(mktemp "${TMPDIR:-/tmp}/need-packages.XXXXXX")
  "$root/scripts/install-deps" "$1" 2>"$err" || status=$?
  cat "$err" >&2
  skip_reason=$(grep '^install-deps: cannot install' "$err" | tail -n 1)
  rm -f "$err"
  case $status in
    0) return 0 ;;
    3) return 1 ;;
    *)
      echo "need_packages: scripts/install-deps $1 failed with status $status" >&2
      exit "$status"
      ;;
  esac
}

skipped() {
  [ -z "${TELKA_SKIPPED:-}" ] || echo "$1 (${skip_reason:-no reason given})" >>"$TELKA_SKIPPED"
  echo "SKIPPED: $1"
}
