#!/usr/bin/env bash
# Runs program-export.lua in Ardour's headless session tool: a private
# configuration and cache in OUT (nothing of the user's is read or written),
# the dummy audio backend, the VST3 bundle copied and back-dated so that the
# scan's cache takes it, then the "create" and "reload" stages. Leaves
# OUT/dry, OUT/wet and OUT/reloaded with one WAV each; prints each stage's
# time. A stage that hangs is killed after $limit seconds and the run fails.
# Usage: ardour-session.sh BUNDLE OUT PROGRAM OVERSAMPLE(0|1) CLASS_ID OVERSAMPLE_INDEX
set -euo pipefail

bundle=$1 out=$2 program=$3 oversample=$4 class_id=$5 oversample_index=$6
here=$(cd "$(dirname "$0")" && pwd)
limit=240
for tool in /usr/bin/ardour7-lua /usr/lib/ardour7/ardour-vst3-scanner; do
  [[ -x $tool ]] || { echo "$tool is missing: run scripts/install-deps.sh native" >&2; exit 1; }
done

rm -rf "$out"
mkdir -p "$out/config/ardour7/scripts" "$out/config/ardour7/export" "$out/cache" "$out/plugins"
export HOME=$out XDG_CONFIG_HOME=$out/config XDG_CACHE_HOME=$out/cache
cp -r "$bundle" "$out/plugins/"
# A cache entry not newer than its plug-in counts as stale and hides it.
find "$out/plugins" -exec touch -d '2020-01-01' {} +
cp "$here/pluck.lua" "$out/config/ardour7/scripts/"
cat > "$out/config/ardour7/config" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<Ardour><Config><Option name="plugin-path-vst3" value="$out/plugins"/></Config></Ardour>
XML
# 32-bit float WAV, no dither, no normalising: the plug-in's samples as they are.
cat > "$out/config/ardour7/export/float.preset" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="5d3a8f3e-7b8e-4c55-9a57-2b1b0c9d4e61" name="float">
  <ExportFormat id="20b4ab09-6452-4cb3-bd66-b921cdbd2942"/>
  <ExportFilename><Folder relative="1" path="export"/><Field name="label" enabled="1"/></ExportFilename>
</ExportPreset>
XML
LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 /usr/lib/ardour7/ardour-vst3-scanner -f "$out/plugins/$(basename "$bundle")" \
  > "$out/scan.log" 2>&1

export QB_DIR=$out QB_FRAMES=96000 QB_PROGRAM=$program QB_OVERSAMPLE=$oversample QB_CLASS_ID=$class_id \
  QB_OVERSAMPLE_INDEX=$oversample_index
# A stage has done its work when it said its last step (the script says each
# step once it returned) and left its files: a crash may come before the
# session file is complete, or only on the way out.
finished() {
  case $1 in
    create) grep -qx saved "$out/create.log" && [[ -s $out/dry/export.wav && -s $out/wet/export.wav ]] ;;
    reload) grep -qx "export reloaded true" "$out/reload.log" && [[ -s $out/reloaded/export.wav ]] ;;
  esac
}

for stage in create reload; do
  # The tool crashes now and then on its own (heap corruption inside
  # Ardour, with or without this plug-in, one run in four or five here):
  # a stage that crashed before its work was done runs again; a stage that
  # hangs is a failure at once.
  for attempt in 1 2 3 4 5 6 7 8; do
    [[ $stage == create ]] && rm -rf "$out/session" "$out/dry" "$out/wet"
    [[ $stage == reload ]] && rm -rf "$out/reloaded"
    started=$EPOCHREALTIME
    status=0
    QB_STAGE=$stage timeout "$limit" /usr/bin/ardour7-lua "$here/program-export.lua" > "$out/$stage.log" 2>&1 || status=$?
    awk -v stage="$stage" -v attempt="$attempt" -v status="$status" -v from="$started" -v to="$EPOCHREALTIME" \
      'BEGIN { printf "ardour stage %s, attempt %d: exit %d after %.1f s\n", stage, attempt, status, to - from }'
    if [[ $status -eq 124 ]]; then
      echo "Ardour did not finish the $stage stage within $limit s" >&2
      tail -20 "$out/$stage.log" >&2
      exit 1
    fi
    finished "$stage" && break
  done
  finished "$stage" || { echo "Ardour crashed in every attempt at the $stage stage" >&2; exit 1; }
done
