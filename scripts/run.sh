#!/usr/bin/env bash
# Builds Netzpegel and starts the monitor.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target netzpegel
exec build/netzpegel "$@"
