#!/usr/bin/env bash
# The main job: build the plug-in and the offline host, then render the
# built-in demo guitar phrase through the built plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh native
cmake --preset release > /dev/null
cmake --build --preset release
mkdir -p build/demo
build/release/quenchbox-render "$@" -o build/demo/quenchbox-demo.wav
