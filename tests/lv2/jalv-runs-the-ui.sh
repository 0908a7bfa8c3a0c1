#!/usr/bin/env bash
# jalv (GTK) loads the bundle's plug-in with its UI under a JACK server of
# this script's own (dummy backend, a private server name, so it never meets
# another server): the UI's window appears inside jalv's, and a click track
# through the plug-in moves the stage meters jalv prints. Each step waits for
# its event, within a deadline. Run inside an X server (with-xvfb.sh).
# Usage: jalv-runs-the-ui.sh BUNDLE_DIR
set -u
bundle=$1
work=$(mktemp -d)
pids=()
finish() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "jalv-runs-the-ui.sh: $*" >&2
  echo "--- jalv's output:" >&2
  tail -n 20 "$work/jalv.out" "$work/jalv.err" >&2 2>/dev/null
  exit 1
}
# Polls `condition` (a command) every 100 ms until it holds or 20 s pass.
within_deadline() {
  local tries=200
  until "$@"; do
    ((--tries > 0)) || return 1
    sleep 0.1
  done
}

export JACK_DEFAULT_SERVER="quenchbox-test-$$"
export JACK_NO_AUDIO_RESERVATION=1
jackd --no-realtime -d dummy -r 44100 -p 256 >"$work/jackd.log" 2>&1 &
pids+=($!)
jack_wait -w -t 20 >/dev/null 2>&1 || fail "the JACK server did not start"

# Only this bundle, and the LV2 vocabulary Debian installs.
mkdir "$work/lv2"
ln -s "$(realpath "$bundle")" "$work/lv2/QuenchboxRZ.lv2"
export LV2_PATH="$work/lv2:/usr/lib/lv2"
stdbuf -oL jalv.gtk3 --print-controls --jack-name=quenchbox --exact-jack-name \
  http://zuk.example/plugins/quenchbox-rz >"$work/jalv.out" 2>"$work/jalv.err" &
pids+=($!)

has_port() { jack_lsp 2>/dev/null | grep -qx "$1"; }
within_deadline has_port quenchbox:in_l || fail "jalv did not start the plug-in"
ui_shown() { xwininfo -root -tree | grep -q '"ZUK Quenchbox RZ"'; }
within_deadline ui_shown || fail "the plug-in's UI did not appear"

jack_metro -b 240 -a 0.9 -f 440 -D 100 >/dev/null 2>&1 &
pids+=($!)
within_deadline has_port metro:240_bpm || fail "the click track did not start"
jack_connect metro:240_bpm quenchbox:in_l && jack_connect metro:240_bpm quenchbox:in_r \
  || fail "the click track could not be connected"
meters_move() { grep -Eq '^stage_b_meter = 0\.0*[1-9]' "$work/jalv.out"; }
within_deadline meters_move || fail "the stage meters did not move: no processing"
echo "jalv ran the plug-in with its UI; the meters moved"
