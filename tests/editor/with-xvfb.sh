#!/usr/bin/env bash
# Runs a program inside a virtual X server of its own, so tests that need a
# display pass where none is set (CI). -noreset: the server would otherwise
# start afresh whenever its last client leaves, refusing connections meanwhile.
# The screen is large enough for the editor at 200 %. The program gets an
# empty settings folder of its own, so a user's remembered zoom stays out.
# Usage: with-xvfb.sh program [args...]
set -u
config=$(mktemp -d)
ready=$(mktemp -u)
mkfifo "$ready"
Xvfb -displayfd 3 -screen 0 2048x1536x24 -nolisten tcp -noreset 3>"$ready" 2>/dev/null &
server=$!
read -r -t 20 number < "$ready"
rm -f "$ready"
if [[ -z "${number:-}" ]]; then
  echo "with-xvfb.sh: Xvfb did not start" >&2
  rm -rf "$config"
  kill "$server" 2>/dev/null
  exit 1
fi
XDG_CONFIG_HOME="$config" DISPLAY=":$number" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$config"
exit $status
