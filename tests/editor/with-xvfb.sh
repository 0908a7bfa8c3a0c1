#!/usr/bin/env bash
# Runs a program inside a virtual X server of its own, so tests that need a
# display pass where none is set (CI). -noreset: the server would otherwise
# start afresh whenever its last client leaves, refusing connections meanwhile.
# Usage: with-xvfb.sh program [args...]
set -u
ready=$(mktemp -u)
mkfifo "$ready"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$ready" 2>/dev/null &
server=$!
read -r -t 20 number < "$ready"
rm -f "$ready"
if [[ -z "${number:-}" ]]; then
  echo "with-xvfb.sh: Xvfb did not start" >&2
  kill "$server" 2>/dev/null
  exit 1
fi
DISPLAY=":$number" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
