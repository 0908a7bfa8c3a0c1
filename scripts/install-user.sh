#!/usr/bin/env bash
# Installs the plug-ins for the current user alone, without root, into the
# folders hosts search in a home folder, the renderer and the application
# into ~/.local/bin, their manual pages into ~/.local/share/man, and the
# application's desktop entry and icon where desktops look for a user's
# (~/.local/share/applications, ~/.local/share/icons):
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
  [share/man]=.local/share/man
  [share/applications]=.local/share/applications
  [share/icons]=.local/share/icons
)

uninstall() {
  [[ -f "$manifest" ]] || { echo "Nothing to uninstall: no $manifest"; return 0; }
  local path
  while IFS= read -r path; do
    rm -f -- "$HOME/$path"
  done < "$manifest"
  # Then the bundle folders and the icon theme's size folders, once empty;
  # the plug-in folders and the icon theme's own stay.
  { grep -oE '^([^/]+/[^/]+\.(vst3|lv2)|\.local/share/icons/hicolor/[^/]+)/' "$manifest" || true; } | sort -u |
    while IFS= read -r folder; do
      if [[ -d "$HOME/$folder" ]]; then find "$HOME/$folder" -depth -type d -empty -delete; fi
    done
  rm -f -- "$manifest"
  rmdir --ignore-fail-on-non-empty -- "$(dirname "$manifest")"
  echo "Removed Quenchbox RZ from $HOME"
}

# ~/.local/bin is in PATH only from the first login after it exists, so the
# menu starts the program by its full path: quoted, with the characters the
# desktop entry rules reserve escaped, then escaped again as a string value.
point_desktop_entry_at_program() {
  local entry=$HOME/.local/share/applications/quenchbox-rz.desktop program=$HOME/.local/bin/quenchbox-rz line
  [[ -f "$entry" ]] || return 0
  program=${program//\\/\\\\}
  program=${program//\"/\\\"}
  program=${program//\`/\\\`}
  program=${program//\$/\\\$}
  program=${program//\\/\\\\}
  while IFS= read -r line; do
    [[ "$line" == Exec=* ]] && line="Exec=\"$program\""
    printf '%s\n' "$line"
  done < "$entry" > "$entry.new"
  mv "$entry.new" "$entry"
}

install() {
  bash scripts/install-deps.sh demo app
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
  point_desktop_entry_at_program
  echo "Installed Quenchbox RZ into $HOME:"
  sed 's#^#  ~/#' "$manifest"
}

case "${1:-}" in
  "") install ;;
  --uninstall) uninstall ;;
  *) echo "usage: install-user.sh [--uninstall]" >&2; exit 2 ;;
esac
