#!/usr/bin/env bash
# Builds a second tree, build-san, with AddressSanitizer and UndefinedBehaviorSanitizer (clang;
# the tree also holds the libFuzzer targets) and runs the whole suite in it, end-to-end tests
# included; line tables are all a report's stack needs. The first report ends the process that made it, leaks are reported at exit, and any
# report fails this script, also one from a program a test started and never asked about.
#   --build-only   configure and build the tree, run nothing (tests/fuzz/run-all.sh uses it)
set -euo pipefail
cd "$(dirname "$0")/.."
tree=build-san
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DNETZPEGEL_SANITIZE=ON -DNETZPEGEL_FUZZ=ON
cmake --build "$tree"
if [ "${1:-}" = "--build-only" ]; then exit 0; fi

reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
status=0
ctest --test-dir "$tree" --output-on-failure --parallel "$(( $(nproc) + 1 ))" || status=$?
if compgen -G "$reports/*" > /dev/null; then
  for f in "$reports"/*; do echo "=== $f"; cat "$f"; done
  echo "sanitizer reports above" >&2
  status=1
fi
exit $status
