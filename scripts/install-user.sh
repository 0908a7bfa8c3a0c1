#!/usr/bin/env bash
# Installs the plug-ins for the current user alone, without root, into the
# folders hosts search in a home folder, and the renderer into ~/.local/bin:
#   bash scripts/install-user.sh              build (release) and install
#   bash scripts/install-user.sh --uninstall  remove what the last install put there
# Everything follows $HOME. The list of installed files is kept in
# ~/.local/share/quenchbox-rz/installed-files, so the uninstall removes
# exactly those, and a reinstall first removes the previous install's.
set -euo pipefail
cd "$(dirname "$0")/.."

manifest="$HOME/.local/share/quenchbox-rz/installed-files"

# Where each folder of the install rules goes in a home folder.
declare -A destinations=(
  [lib/vst]=.vst
  [lib/clap]=.clap
  [lib/vst3]=.vst3
  [lib/lv2]=.lv2
  [bin]=.local/bin
)

uninstall() {
  [[ -f "$manifest" ]] || { echo "Nothing to uninstall: no $manifest"; return 0; }
  local path
  while IFS= read -r path; do
    rm -f -- "$HOME/$path"
  done < "$manifest"
  # Then the bundle folders, once empty; the plug-in folders themselves stay.
  { grep -oE '^[^/]+/[^/]+\.(vst3|lv2)/' "$manifest" || true; } | sort -u | while IFS= read -r bundle; do
    if [[ -d "$HOME/$bundle" ]]; then find "$HOME/$bundle" -depth -type d -empty -delete; fi
  done
  rm -f -- "$manifest"
  rmdir --ignore-fail-on-non-empty -- "$(dirname "$manifest")"
  echo "Removed Quenchbox RZ from $HOME"
}

install() {
  bash scripts/install-deps.sh demo
  cmake --preset release > /dev/null
  cmake --build --preset release --target quenchbox-shipped
  local staging=build/release/user-staging
  rm -rf "$staging"
  cmake --install build/release --prefix "$PWD/$staging" --strip > /dev/null

  uninstall > /dev/null
  mkdir -p "$(dirname "$manifest")"
  local from to entry
  : > "$manifest.new"
  for from in "${!destinations[@]}"; do
    [[ -d "$staging/$from" ]] || continue
    to=${destinations[$from]}
    mkdir -p "$HOME/$to"
    cp -R -- "$staging/$from/." "$HOME/$to/"
    (cd "$staging/$from" && find . -type f -printf "$to/%P\n") >> "$manifest.new"
  done
  mv "$manifest.new" "$manifest"
  echo "Installed Quenchbox RZ into $HOME:"
  sed 's#^#  ~/#' "$manifest"
}

case "${1:-}" in
  "") install ;;
  --uninstall) uninstall ;;
  *) echo "usage: install-user.sh [--uninstall]" >&2; exit 2 ;;
esac
