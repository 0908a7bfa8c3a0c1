#!/usr/bin/env bash
# Renders the skin sources (resources/skins/src/*.svg) into the PNGs that
# both builds bind in: resources/skins/*.png at the panel's own size and
# resources/skins/2x/*.png at twice it, for high-density screens (the
# sizes between are drawn from the 2x set); and the application's icon
# (resources/icons/hicolor/scalable) into the PNG sizes of the icon theme
# beside it. The PNGs are committed, so a build never needs this; run it
# after editing a source and commit all.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh skins

sources=resources/skins/src
output=resources/skins
mkdir -p "$output/2x"

# The two switch faces no control shows are left out of the 2x set.
unused_at_2x="switch-rate blank-switch"

# Renders $1 at zoom $2 into $3; no text chunks or dates, so an unchanged
# source renders to the same file.
render() {
  rsvg-convert --zoom "$2" "$1" -o "$3"
  convert "$3" -strip "PNG32:$3"
}

for svg in "$sources"/*.svg; do
  name=$(basename "$svg" .svg)
  render "$svg" 1 "$output/$name.png"
  [[ " $unused_at_2x " == *" $name "* ]] || render "$svg" 2 "$output/2x/$name.png"
done

# The display background is the one opaque skin at 1x: stored as RGB without
# an alpha channel, which the loaders turn into alpha 255 everywhere.
convert "$output/scope-background.png" -background black -alpha remove -alpha off -strip \
  "PNG24:$output/scope-background.png"
# At 2x the opaque panels are stored as RGB too, and every file is packed
# tighter (losslessly): the 2x set stays under twice the bytes of the 1x set.
for opaque in scope-background panel-main panel-about; do
  convert "$output/2x/$opaque.png" -background black -alpha remove -alpha off -strip "PNG24:$output/2x/$opaque.png"
done
optipng -quiet -o5 -strip all "$output"/2x/*.png

# The sizes menus, docks and task bars ask the icon theme for; a desktop
# scales the SVG for the others.
icons=resources/icons/hicolor
for size in 16 32 48 64 128 256; do
  mkdir -p "$icons/${size}x$size/apps"
  rsvg-convert --width "$size" --height "$size" "$icons/scalable/apps/quenchbox-rz.svg" \
    -o "$icons/${size}x$size/apps/quenchbox-rz.png"
  convert "$icons/${size}x$size/apps/quenchbox-rz.png" -strip "PNG32:$icons/${size}x$size/apps/quenchbox-rz.png"
done

echo "Rendered $(ls "$sources"/*.svg | wc -l) skins into $output and $(ls "$output"/2x/*.png | wc -l) into $output/2x," \
  "and the icon into $(ls "$icons"/*x*/apps/quenchbox-rz.png | wc -l) sizes"
