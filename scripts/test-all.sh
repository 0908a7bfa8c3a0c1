#!/usr/bin/env bash
# Builds everything and runs every test: the native suite in the release
# build and again under AddressSanitizer+UBSan and ThreadSanitizer, then the
# Windows DLL (cross-built with mingw-w64) and its tests under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh native windows

for preset in release asan tsan; do
  echo "== $preset"
  cmake --preset "$preset" > /dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== windows"
started=$SECONDS
cmake --preset windows > /dev/null
cmake --build --preset windows
echo "The Windows build took $((SECONDS - started)) s"
bash scripts/run-wintests.sh build/windows
