#!/usr/bin/env bash
# Builds everything and runs every test: the native suite in the release
# build and again under AddressSanitizer+UBSan and ThreadSanitizer, the
# host-call fuzzer for a minute from its seed corpus, then the Windows DLL
# (cross-built with mingw-w64) and its tests under wine, then the Debian
# package and the Windows installer (scripts/test-packages.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh demo test windows

for preset in release asan tsan; do
  echo "== $preset"
  cmake --preset "$preset" > /dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

# The host-call fuzzer for one minute; new inputs it finds go to build/fuzz/corpus.
# A longer run is the same command with a larger -max_total_time (README).
echo "== fuzz"
cmake --preset fuzz > /dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/corpus
build/fuzz/quenchbox-fuzz -max_total_time=60 -timeout=10 -max_len=2048 -print_final_stats=1 -artifact_prefix=build/fuzz/ \
  build/fuzz/corpus tests/fuzz/corpus 2>&1 | grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)'

echo "== windows"
started=$SECONDS
cmake --preset windows > /dev/null
cmake --build --preset windows
echo "The Windows build took $((SECONDS - started)) s"
bash scripts/run-wintests.sh build/windows

echo "== packages"
bash scripts/test-packages.sh
