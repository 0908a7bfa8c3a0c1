#!/usr/bin/env bash
# A real VST3 host from Debian looks at the plug-in: Ardour's scanner loads
# the bundle, reads its factory and buses and writes what it found into its
# cache as XML. The VST3 build must show up as "Quenchbox RZ" by ZUK, an
# "Fx|Distortion" effect with two audio inputs and outputs and no MIDI, under
# its fixed class id. The cache goes into a folder of the test's own.
# Usage: ardour-vst3-scan.sh PATH/QuenchboxRZ.vst3 VERSION
set -euo pipefail

bundle=$1
version=$2
scanner=/usr/lib/ardour7/ardour-vst3-scanner
if [[ ! -x "$scanner" ]]; then
  echo "$scanner is missing: run scripts/install-deps.sh test" >&2
  exit 1
fi

cache=$(mktemp -d)
trap 'rm -rf "$cache"' EXIT
answer=$(HOME="$cache" XDG_CACHE_HOME="$cache" LD_LIBRARY_PATH=/usr/lib/ardour7 \
  timeout 60 "$scanner" -f -v "$bundle" 2>&1)
echo "$answer"

status=0
expect() {
  if ! grep -qF -- "$1" <<< "$answer"; then
    echo "the scanner did not report: $1" >&2
    status=1
  fi
}
expect "Found Plugin: Quenchbox RZ"
expect "uid=\"1AF61810EDC301AEAA886F866367EA7D\" name=\"Quenchbox RZ\" vendor=\"ZUK\" category=\"Fx|Distortion\" version=\"$version\""
expect "n_inputs=\"2\" n_outputs=\"2\" n_aux_inputs=\"0\" n_aux_outputs=\"0\" n_midi_inputs=\"0\" n_midi_outputs=\"0\""
if grep -qE '\[(ERROR|Error|Warning)\]' <<< "$answer"; then
  echo "the scanner reported an error or a warning" >&2
  status=1
fi
exit $status
