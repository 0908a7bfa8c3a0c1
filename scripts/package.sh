#!/usr/bin/env bash
# Builds the two packages from this tree into build/packages/:
#   quenchbox-rz_<version>_amd64.deb     the Debian package (CPack, the install rules)
#   QuenchboxRZ-<version>-setup.exe      the 64-bit Windows installer (makensis)
# Only what ships is built, not the tests. The version is the CMake project's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh demo app windows packages
started=$SECONDS
out=build/packages
mkdir -p "$out"
rm -f "$out"/quenchbox-rz_*.deb "$out"/QuenchboxRZ-*-setup.exe

echo "== Debian package"
cmake --preset release > /dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
cmake --build --preset release --target quenchbox-shipped
rm -rf build/release/cpack
(cd build/release && cpack -B cpack > cpack.log 2>&1) || { cat build/release/cpack.log; exit 1; }
mv "build/release/cpack/quenchbox-rz_${version}_amd64.deb" "$out/"

echo "== Windows installer"
cmake --preset windows > /dev/null
cmake --build --preset windows --target quenchbox-installer
cp "build/windows/QuenchboxRZ-$version-setup.exe" "$out/"

echo "The packages took $((SECONDS - started)) s"
ls -l "$out"
