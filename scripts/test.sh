#!/usr/bin/env bash
# Builds Netzpegel with its tests and runs the whole suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
# The tests mostly wait on timers, sockets and child processes: one more at a time than cores.
ctest --test-dir build --output-on-failure --parallel "$(( $(nproc) + 1 ))"
