#!/usr/bin/env bash
# A real CLAP host from Debian looks at the plug-in: qtractor's scanner reads
# lines "TYPE:PATH" on its input and answers each plug-in it finds with
#   TYPE|name|audio ins:outs|MIDI ins:outs|control ins:outs|flags|path|index|id
# The CLAP build must show up as "Quenchbox RZ", stereo in and out, with its
# sixteen parameters. Usage: qtractor-scan.sh PATH/QuenchboxRZ.clap
set -euo pipefail

clap=$1
scanner=$(ls /usr/lib/*/qtractor/qtractor_plugin_scan 2>/dev/null | head -n 1 || true)
if [[ -z "$scanner" ]]; then
  echo "qtractor_plugin_scan is missing: run scripts/install-deps.sh test" >&2
  exit 1
fi

answer=$(echo "CLAP:$clap" | QT_QPA_PLATFORM=offscreen timeout 60 "$scanner" 2>/dev/null | tr -d '\r')
echo "$answer"
line=$(grep '^CLAP|' <<< "$answer" | head -n 1 || true)
IFS='|' read -r type name audio midi controls _flags path _rest <<< "$line"

status=0
expect() {
  if [[ "$2" != "$3" ]]; then
    echo "scanner reported $1 '$2', expected '$3'" >&2
    status=1
  fi
}
expect type "${type:-}" CLAP
expect name "${name:-}" "Quenchbox RZ"
expect audio "${audio:-}" 2:2
expect MIDI "${midi:-}" 0:0
expect parameters "${controls:-}" 16:0
expect path "${path:-}" "$clap"
exit $status
