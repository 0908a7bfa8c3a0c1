#!/usr/bin/env bash
# Builds everything and runs every test: the native suite in the release
# build and again under AddressSanitizer+UBSan and ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh native

for preset in release asan tsan; do
  echo "== $preset"
  cmake --preset "$preset" > /dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
