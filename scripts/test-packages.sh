#!/usr/bin/env bash
# Builds both packages (scripts/package.sh) and checks them, ending with the
# line "packages: N passed, M failed":
#   the Debian package: lintian, its files against the install rules, its
#   Depends against the libraries its binaries need, the application with
#   its desktop entry (desktop-file-validate), icon and manual page,
#   installed, upgraded over an older version, removed and purged in a dpkg
#   root of its own;
#   the per-user install into a home folder of its own, the application's
#   files included;
#   the Windows installer in a fresh wine prefix: silent install, the
#   uninstall key, reinstall, a VST2 folder with spaces and non-ASCII
#   letters, silent uninstall, also after files were removed by hand.
# Everything happens under build/packages-test: the machine's /usr, the
# user's home and plug-in folders are never touched.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/package.sh > /dev/null || { echo "scripts/package.sh failed"; echo "packages: 0 passed, 1 failed"; exit 1; }
started=$SECONDS
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
deb=$PWD/build/packages/quenchbox-rz_${version}_amd64.deb
setup=$PWD/build/packages/QuenchboxRZ-$version-setup.exe
work=$PWD/build/packages-test
rm -rf "$work"
mkdir -p "$work"

passed=0
failed=0
# check NAME COMMAND...: runs the command, counts and reports the outcome.
check() {
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "FAILED: $name"
    failed=$((failed + 1))
  fi
}

# ---- Debian package

lintian_clean() {
  local status=0
  lintian --fail-on error,warning "$deb" > "$work/lintian.log" 2>&1 || status=$?
  grep -v 'running with root privileges' "$work/lintian.log"
  return $status
}

# "mode path" of every file and folder, for the package and an install.
package_listing() { dpkg-deb -c "$1" | awk '{ sub(/^\.\//, "", $6); sub(/\/$/, "", $6); if ($6 != "") print $1, $6 }' | sort; }
tree_listing() { (cd "$1" && find . -mindepth 1 -printf '%M %P\n') | sort; }

files_match_install_rules() {
  local rules=$work/rules
  DESTDIR=$rules cmake --install build/release --prefix /usr --strip > /dev/null || return 1
  diff <(package_listing "$deb") <(tree_listing "$rules")
}

changelog_names_this_version() {
  [[ "$(dpkg-parsechangelog -l CHANGELOG -S Version)" == "$version" ]]
}

control_field() { dpkg-deb -f "$deb" "$1"; }

control_fields_right() {
  [[ "$(control_field Section)" == sound && "$(control_field Architecture)" == amd64 &&
     "$(control_field Version)" == "$version" && "$(control_field Description)" == *"
 "* ]]
}

# Every library a binary of the package needs comes from a package it names
# in Depends (found through this machine's dpkg database, read only).
depends_cover_needed_libraries() {
  local depends unpacked=$work/unpacked library providers ok=0
  depends=$(control_field Depends | tr ',' '\n' | sed -E 's/^ *([^ (]+).*/\1/')
  dpkg-deb -x "$deb" "$unpacked"
  for library in $(find "$unpacked" -type f -exec sh -c 'file -b "$1" | grep -q ^ELF && objdump -p "$1"' _ {} \; |
                   awk '/NEEDED/ { print $2 }' | sort -u); do
    providers=$(dpkg-query -S "*/$library" 2>/dev/null | sed -E 's/[:,].*//' | sort -u)
    if ! grep -qxF -f <(echo "$providers") <(echo "$depends"); then
      echo "$library (from ${providers:-no package}) is not covered by Depends: $(control_field Depends)"
      ok=1
    fi
  done
  return $ok
}

# The application's files, below a /usr or a ~/.local.
application_files=(
  bin/quenchbox-rz
  share/applications/quenchbox-rz.desktop
  share/icons/hicolor/scalable/apps/quenchbox-rz.svg
  share/icons/hicolor/48x48/apps/quenchbox-rz.png
  share/man/man1/quenchbox-rz.1.gz
)
has_application_files() {
  local prefix=$1 file
  for file in "${application_files[@]}"; do
    [[ -f "$prefix/$file" ]] || { echo "missing: $prefix/$file"; return 1; }
  done
}

# desktop-file-validate (desktop-file-utils) where it is installed: no
# error and no warning. Its hints are suggestions, not faults.
desktop_entry_valid() {
  if ! command -v desktop-file-validate > /dev/null; then
    echo "note: desktop-file-validate is not installed (desktop-file-utils); $(basename "$1") is not validated"
    return 0
  fi
  local report
  report=$(desktop-file-validate --no-hints "$1" 2>&1)
  [[ -z "$report" ]] || { echo "$report"; return 1; }
}

# Every PNG of the icon theme has the size its folder names.
icon_sizes_right() {
  local png size
  for png in "$1"/share/icons/hicolor/*x*/apps/quenchbox-rz.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file -b "$png" | grep -q "PNG image data, ${size/x/ x }," || { echo "$png is not $size: $(file -b "$png")"; return 1; }
  done
}

application_prints_version() {
  [[ "$("$1" --version)" == "quenchbox-rz $version" ]]
}

package_carries_application() {
  local unpacked=$work/unpacked-application
  dpkg-deb -x "$deb" "$unpacked" && has_application_files "$unpacked/usr" &&
    desktop_entry_valid "$unpacked/usr/share/applications/quenchbox-rz.desktop" && icon_sizes_right "$unpacked/usr" &&
    grep -qx 'Exec=quenchbox-rz' "$unpacked/usr/share/applications/quenchbox-rz.desktop"
}

# A dpkg root of its own whose database holds this machine's entries of the
# packages in Depends, so that dpkg checks them as on a real system.
# Maintainer scripts run outside the root (there is no shell in it) and
# find a stand-in ldconfig first in PATH, leaving the machine's cache alone.
make_root() {
  local root=$1 package
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/stub"
  for package in $(control_field Depends | tr ',' '\n' | sed -E 's/^ *([^ (]+).*/\1/'); do
    dpkg-query -s "$package" && echo
  done > "$root/var/lib/dpkg/status"
  printf '#!/bin/sh\n' > "$root/stub/ldconfig"
  chmod +x "$root/stub/ldconfig"
}
in_root() {
  local root=$1
  shift
  PATH="$root/stub:$PATH" dpkg --root="$root" --force-script-chrootless "$@" > "$root/dpkg.log" 2>&1 ||
    { cat "$root/dpkg.log"; return 1; }
}
status_in_root() { dpkg-query --root="$1" -W -f='${Version} ${db:Status-Abbrev}' quenchbox-rz 2>/dev/null; }
our_files_left() { find "$1/usr" -type f 2>/dev/null | grep -q .; }

# The installed renderer finds the installed VST2 plug-in by itself and
# loads both plug-ins.
installed_plugins_load() {
  local root=$1
  "$root/usr/bin/quenchbox-render" --list | grep -q '^format: *VST 2.4' &&
    "$root/usr/bin/quenchbox-render" --plugin "$root/usr/lib/clap/QuenchboxRZ.clap" --list | grep -qi clap
}

install_and_remove() {
  local root=$work/root-remove
  make_root "$root"
  in_root "$root" -i "$deb" && [[ "$(status_in_root "$root")" == "$version ii " ]] &&
    diff <(package_listing "$deb") <(tree_listing "$root" | grep -E ' usr(/|$)') && installed_plugins_load "$root" &&
    application_prints_version "$root/usr/bin/quenchbox-rz" &&
    in_root "$root" --remove quenchbox-rz && ! our_files_left "$root" &&
    in_root "$root" --purge quenchbox-rz && [[ -z "$(status_in_root "$root")" ]]
}

install_and_purge() {
  local root=$work/root-purge
  make_root "$root"
  in_root "$root" -i "$deb" && has_application_files "$root/usr" && in_root "$root" --purge quenchbox-rz &&
    [[ -z "$(status_in_root "$root")" ]] && ! our_files_left "$root"
}

upgrade_over_older_version() {
  local root=$work/root-upgrade older
  (cd build/release && cpack -B "$work/older" -D CPACK_PACKAGE_VERSION=1.0.0 > "$work/older.log" 2>&1) || return 1
  older=$work/older/quenchbox-rz_1.0.0_amd64.deb
  make_root "$root"
  in_root "$root" -i "$older" && [[ "$(status_in_root "$root")" == "1.0.0 ii " ]] &&
    in_root "$root" -i "$deb" && [[ "$(status_in_root "$root")" == "$version ii " ]] &&
    diff <(package_listing "$deb") <(tree_listing "$root" | grep -E ' usr(/|$)') &&
    in_root "$root" --purge quenchbox-rz && ! our_files_left "$root"
}

echo "== Debian package $(basename "$deb"), $(stat -c %s "$deb") bytes"
check "lintian reports no error or warning" lintian_clean
check "control fields" control_fields_right
check "the changelog's latest entry is this version" changelog_names_this_version
check "the package's files are those of the install rules" files_match_install_rules
check "Depends covers every library the binaries need" depends_cover_needed_libraries
check "the application, its valid desktop entry, icon sizes and manual page" package_carries_application
check "installed in a dpkg root, the plug-ins load, the application runs, removed, purged" install_and_remove
check "installed and purged at once, the application's files with the rest" install_and_purge
check "installed over version 1.0.0" upgrade_over_older_version

# ---- Per-user install

user_install_round_trip() {
  local home=$work/home
  mkdir -p "$home/.vst"
  touch "$home/.vst/Other.so"
  HOME=$home bash scripts/install-user.sh > /dev/null && HOME=$home bash scripts/install-user.sh > /dev/null &&
    cmp -s build/release/user-staging/lib/vst/QuenchboxRZ.so "$home/.vst/QuenchboxRZ.so" &&
    [[ -f "$home/.clap/QuenchboxRZ.clap" ]] &&
    HOME=$home "$home/.local/bin/quenchbox-render" --list | grep -q '^format: *VST 2.4' &&
    user_application_installed "$home" &&
    HOME=$home bash scripts/install-user.sh --uninstall > /dev/null &&
    HOME=$home bash scripts/install-user.sh --uninstall > /dev/null &&
    [[ "$(find "$home" -type f)" == "$home/.vst/Other.so" ]] &&
    [[ -z "$(find "$home/.local/share/icons/hicolor" -mindepth 1 2> /dev/null)" ]]
}

# The program, its manual page, and a desktop entry that starts it by its
# full path with the icon in the user's icon theme.
user_application_installed() {
  local home=$1 entry=$1/.local/share/applications/quenchbox-rz.desktop
  has_application_files "$home/.local" && application_prints_version "$home/.local/bin/quenchbox-rz" &&
    desktop_entry_valid "$entry" && grep -qxF "Exec=\"$home/.local/bin/quenchbox-rz\"" "$entry" &&
    icon_sizes_right "$home/.local"
}

echo "== Per-user install"
check "installed twice into a home, the renderer finds the plug-in, the application and its menu entry, uninstalled twice, other files kept" \
  user_install_round_trip

# ---- Windows installer

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# Wine reads the command line's non-ASCII letters as UTF-8.
export LC_ALL=C.UTF-8
drive_c=$WINEPREFIX/drive_c
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuenchboxRZ'
uninstaller='C:\Program Files\ZUK\Quenchbox RZ\Uninstall.exe'
application="$drive_c/Program Files/ZUK/Quenchbox RZ/Quenchbox RZ.exe"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quenchbox RZ.lnk"

# Runs a Windows program and waits until every process it started is done
# (the uninstaller runs on from a copy of itself).
wine_wait() { timeout 120 wine "$@" < /dev/null > /dev/null 2>&1; local status=$?; timeout 60 wineserver -w; return $status; }
# The installer with /D= unquoted, as NSIS wants it even with spaces: through
# cmd, which passes the rest of its line on as it is.
run_setup() { wine_wait cmd /c "$(timeout 60 winepath -w "$1") /S${2:+ /D=$2}"; }
registry_value() { timeout 60 wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
key_present() { timeout 60 wine reg query "$uninstall_key" > /dev/null 2>&1; }
key_in_32_bit_view() { timeout 60 wine reg query "$uninstall_key" /reg:32 > /dev/null 2>&1; }

installed_as_built() {
  local vst2_folder=$1
  cmp -s build/windows/QuenchboxRZ.dll "$vst2_folder/QuenchboxRZ.dll" &&
    cmp -s build/windows/QuenchboxRZ.clap "$drive_c/Program Files/Common Files/CLAP/QuenchboxRZ.clap" &&
    cmp -s "build/windows/Quenchbox RZ.exe" "$application" && [[ -f "$shortcut" ]] &&
    if [[ -d build/windows/QuenchboxRZ.vst3 ]]; then
      diff -r build/windows/QuenchboxRZ.vst3 "$drive_c/Program Files/Common Files/VST3/QuenchboxRZ.vst3"
    fi
}

uninstall_key_right() {
  [[ "$(registry_value DisplayName)" == "Quenchbox RZ" && "$(registry_value DisplayVersion)" == "$version" &&
     "$(registry_value Publisher)" == ZUK && "$(registry_value UninstallString)" == "\"$uninstaller\"" &&
     "$(registry_value EstimatedSize)" == 0x* ]] && ! key_in_32_bit_view
}

# What the prefix holds of ours: our names, and the folders we made.
ours_in_prefix() {
  find "$drive_c" \( -iname '*quenchbox*' -o -name ZUK -o -name VSTPlugins -o -name CLAP -o -name VST3 \
    -o -name 'Plug-ins für*' \) -print
}

default_install() {
  run_setup "$setup" && installed_as_built "$drive_c/Program Files/VSTPlugins" && uninstall_key_right
}

# The installed application starts, from where the shortcut points.
installed_application_starts() {
  [[ "$(timeout 60 wine "$application" --version < /dev/null 2> /dev/null | tr -d '\r')" == "Quenchbox RZ $version" ]] &&
    grep -qa 'Quenchbox RZ.exe' "$shortcut"
}

reinstall() {
  run_setup "$setup" && installed_as_built "$drive_c/Program Files/VSTPlugins" && uninstall_key_right
}

silent_uninstall() {
  wine_wait "$uninstaller" /S && ! key_present && [[ -z "$(ours_in_prefix)" ]]
}

# A VST2 folder the user already had keeps its other plug-ins.
foreign_files_kept() {
  local folder=$drive_c/Program\ Files/VSTPlugins
  mkdir -p "$folder"
  touch "$folder/Other.dll"
  run_setup "$setup" && wine_wait "$uninstaller" /S && [[ -f "$folder/Other.dll" ]] && ! key_present &&
    [[ ! -e "$folder/QuenchboxRZ.dll" ]] && rm -r "$folder"
}

# A reinstall keeps the folder of the last install unless told another, and
# then moves the DLL, taking away the folder it had made.
unusual_folder_then_moved() {
  local unusual='C:\Program Files\Plug-ins für Gitarre ñ' unusual_unix="$drive_c/Program Files/Plug-ins für Gitarre ñ"
  local default_unix="$drive_c/Program Files/VSTPlugins"
  run_setup "$setup" "$unusual" && installed_as_built "$unusual_unix" && [[ ! -e "$default_unix" ]] &&
    run_setup "$setup" && installed_as_built "$unusual_unix" && [[ ! -e "$default_unix" ]] &&
    run_setup "$setup" 'C:\Program Files\VSTPlugins' && installed_as_built "$default_unix" && [[ ! -e "$unusual_unix" ]] &&
    run_setup "$setup" "$unusual" && installed_as_built "$unusual_unix" && [[ ! -e "$default_unix" ]]
}

uninstall_after_files_removed_by_hand() {
  rm -f "$drive_c/Program Files/Plug-ins für Gitarre ñ/QuenchboxRZ.dll" \
    "$drive_c/Program Files/Common Files/CLAP/QuenchboxRZ.clap"
  silent_uninstall
}

echo "== Windows installer $(basename "$setup"), $(stat -c %s "$setup") bytes"
check "the installer is a 64-bit program" bash -c "file -b '$setup' | grep -q 'PE32+ executable (GUI) x86-64'"
timeout 300 wine wineboot --init < /dev/null > /dev/null 2>&1
timeout 120 wineserver -w
check "silent install: files as built, the uninstall key in the 64-bit view" default_install
check "the application and its Start menu shortcut" installed_application_starts
check "installed again over itself" reinstall
check "silent uninstall: files, folders made and key gone" silent_uninstall
check "uninstall leaves other plug-ins in the VST2 folder" foreign_files_kept
check "VST2 folder with spaces and non-ASCII letters (/D=), moved by a reinstall" unusual_folder_then_moved
check "uninstall after its files were removed by hand" uninstall_after_files_removed_by_hand
timeout 30 wineserver -k 2> /dev/null

echo "The package checks took $((SECONDS - started)) s"
echo "packages: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
