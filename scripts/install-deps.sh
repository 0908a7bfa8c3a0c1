#!/usr/bin/env bash
# Installs the Debian packages the build needs, and nothing when they are
# already there. Usage: install-deps.sh [demo] [app] [test] [windows] [skins] [packages]
# (demo: what the plug-in binaries and quenchbox-render need, and no more, so
# that the first command is quick; app: what the application quenchbox-rz
# adds, its audio back-ends' headers; test: what the native tests add: GoogleTest,
# clang for the fuzzer, the hosts and the peer plug-in they load, Xvfb, the
# LV2 tools, gnuplot for --plot; skins: what scripts/render-skins.sh needs; the
# build uses the committed PNGs; packages: what scripts/package.sh and
# scripts/test-packages.sh need besides the builds: CPack's dpkg-shlibdeps and
# file, lintian, makensis, desktop-file-validate)
set -euo pipefail

declare -A sets=(
  [demo]="g++ cmake ninja-build pkg-config libeigen3-dev libsndfile1-dev libcairo2-dev libx11-dev libfontconfig-dev fonts-dejavu-core lv2-dev liblilv-dev"
  [app]="libjack-jackd2-dev libasound2-dev"
  [test]="libgtest-dev gnuplot-nox zam-plugins clang libclang-rt-14-dev qtractor libxres-dev xvfb xauth ardour sordi lilv-utils jalv jackd2 libjack-jackd2-dev libasound2-dev"
  [windows]="g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth"
  [skins]="librsvg2-bin imagemagick optipng fonts-dejavu-core fonts-dejavu-extra"
  [packages]="dpkg-dev file lintian nsis desktop-file-utils"
)

wanted=()
for set in "${@:-demo}"; do
  [[ -n "${sets[$set]+x}" ]] || { echo "install-deps.sh: unknown package set '$set'" >&2; exit 2; }
  read -r -a packages <<< "${sets[$set]}"
  wanted+=("${packages[@]}")
done

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" > /dev/null
