#!/usr/bin/env bash
# Renders the skin sources (resources/skins/src/*.svg) into the PNGs that the
# resource script binds into the Windows DLL. The PNGs are committed, so a
# build never needs this; run it after editing a source and commit both.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh skins

sources=resources/skins/src
output=resources/skins
for svg in "$sources"/*.svg; do
  name=$(basename "$svg" .svg)
  rsvg-convert "$svg" -o "$output/$name.png"
  # No text chunks or dates, so an unchanged source renders to the same file.
  convert "$output/$name.png" -strip "PNG32:$output/$name.png"
done

# The display background is the one opaque skin: stored as RGB without an
# alpha channel, which the loader must turn into alpha 255 everywhere.
convert "$output/scope-background.png" -background black -alpha remove -alpha off -strip \
  "PNG24:$output/scope-background.png"

echo "Rendered $(ls "$sources"/*.svg | wc -l) skins into $output"
