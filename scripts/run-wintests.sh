#!/usr/bin/env bash
# Runs the Windows test programs of a build tree under wine, inside a virtual
# X server, takes the panel screenshot (build/windows/panel-screenshot.png),
# saves the main panel at each size between 1x and 2x
# (build/windows/panel-main-*.png) and ends with the total
# "windows: N passed, M failed".
# Usage: run-wintests.sh [build folder, default build/windows]
#
# The wine prefix lives in the build tree and is made once (it costs about
# 700 MB and 10-20 s). One wineserver stays up for the whole run, so each
# program starts in a fraction of a second, and is killed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/windows}
started=$SECONDS
programs=(wintest-effect wintest-widgets wintest-editor wintest-clap wintest-vst3 wintest-app)

if [[ "${QUENCHBOX_INSIDE_XVFB:-}" != 1 ]]; then
  export QUENCHBOX_INSIDE_XVFB=1
  exec xvfb-run -a -s "-screen 0 2048x1536x24 -nolisten tcp" bash "$0" "$build"
fi

export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

trap 'timeout 30 wineserver -k 2>/dev/null || true' EXIT

if [[ ! -f "$WINEPREFIX/.quenchbox-ready" ]]; then
  echo "Creating the wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  timeout 300 wine wineboot --init </dev/null >/dev/null 2>&1
  # Unmanaged windows: without a window manager, hiding a managed window
  # waits about 2 s for an answer that never comes.
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  # A crashing test program ends at once instead of waiting in the debugger.
  timeout 60 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f \
    </dev/null >/dev/null 2>&1
  timeout 120 wineserver -w
  touch "$WINEPREFIX/.quenchbox-ready"
fi

timeout 30 wineserver -p
# Starts wine's helper processes now, with their output going nowhere, so
# that they do not inherit (and hold open) the pipes of a test's output.
timeout 120 wine wineboot </dev/null >/dev/null 2>&1

# wine's screen density, as Windows' display setting: 96 DPI is 100 %.
set_dpi() {
  timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
}

# The programs run at 100 % but for the scale test's runs, which end at it.
set_dpi 96
passed=0
failed=0
runs=("${programs[@]}" wintest-scale@144 wintest-scale@192 wintest-scale@96)
for run in "${runs[@]}"; do
  program=${run%@*}
  echo "== $run"
  [[ $run == *@* ]] && set_dpi "${run#*@}"
  status=0
  log="$build/$program.log"
  # The application's test defines wine's ALSA device in a home of its own
  # (ALSA's messages about the machine's missing sound cards left out).
  home=$HOME
  if [[ $program == wintest-app ]]; then
    home=$(mktemp -d /tmp/quenchbox-wintest-XXXXXX)
  fi
  HOME=$home QUENCHBOX_WINTEST_HOME=$home timeout 300 wine "$build/$program.exe" </dev/null 2>&1 | tr -d '\r' |
    grep -v '^ALSA lib ' | tee "$log" || status=$?
  if [[ $home != "$HOME" ]]; then
    rm -rf "$home"
  fi
  summary=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1 || true)
  if [[ -z "$summary" ]]; then
    echo "$program ended without its summary (exit status $status)"
    failed=$((failed + 1))
    continue
  fi
  read -r p _ f _ <<< "$summary"
  if [[ $status -ne 0 && $f -eq 0 ]]; then
    echo "$program exited with status $status after its summary"
    f=1
  fi
  passed=$((passed + p))
  failed=$((failed + f))
done

# The panel with every widget over it, as the README shows it.
timeout 120 wine "$build/panel-screenshot.exe" </dev/null 2>&1 | tr -d '\r' || failed=$((failed + 1))
# The editor itself in a host window: default program, "Screaming Solo", about view.
timeout 120 wine "$build/editor-screenshot.exe" </dev/null 2>&1 | tr -d '\r' || failed=$((failed + 1))
# The main panel as the skin loader draws it between 1x and 2x, for quenchbox-skin-figures.
timeout 120 wine "$build/panel-sizes.exe" </dev/null 2>&1 | tr -d '\r' || failed=$((failed + 1))

echo "The Windows tests took $((SECONDS - started)) s under wine"
echo "windows: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
