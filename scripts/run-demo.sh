#!/usr/bin/env bash
# The first command: installs what the plug-in binaries and the offline host
# need, builds only those (no tests, no Windows build), then renders the
# built-in demo guitar phrase through the built plug-in. The tests' packages
# and targets come with scripts/test-all.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh demo
cmake --preset release > /dev/null
# quenchbox-render depends on the four plug-in binaries it can load.
cmake --build --preset release --target quenchbox-render
mkdir -p build/demo
build/release/quenchbox-render "$@" -o build/demo/quenchbox-demo.wav
