# Sourced by the sandbox tests: as_nobody runs a command as the runner's
# sandbox user when we are root; the test is skipped (status 77) where bwrap
# cannot make a user namespace that way.
# shellcheck shell=bash
as_nobody=()
[ "$(id -u)" = 0 ] && as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
if ! command -v bwrap >/dev/null || ! "${as_nobody[@]}" bwrap --unshare-all --unshare-user --ro-bind / / true 2>/dev/null; then
  echo "SKIP: bwrap cannot make a sandbox here (Debian's bubblewrap, and user or root namespaces)"
  exit 77
fi
