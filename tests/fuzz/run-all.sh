#!/usr/bin/env bash
# Runs every libFuzzer target of tests/fuzz for SECONDS each (default 600), as many at once as
# there are cores, from its committed seed corpus. New inputs go to a scratch folder, so the tree stays
# as it is; an input that finds a fault is left in tests/fuzz/findings/ and fails the run.
# Builds the fuzzers first (the sanitizer tree, build-san).
#   tests/fuzz/run-all.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-600}
shift || true
bash scripts/test-sanitizers.sh --build-only > /dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p tests/fuzz/findings
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# One target per core at a time; each still runs its full time.
run_target() {
  local target=$1 corpus=tests/fuzz/corpus/${1#fuzz_}
  mkdir -p "$scratch/$target"
  if ! build-san/tests/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="tests/fuzz/findings/$target-" \
      "$scratch/$target" "$corpus" 2> "$scratch/$target.log"; then
    touch "$scratch/$target.failed"
  fi
}
jobs_max=$(nproc)
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs_max" ]; do wait -n || true; done
  run_target "$target" &
done
wait
status=0
for target in "${targets[@]}"; do
  echo "== $target for ${seconds}s"
  if [ -e "$scratch/$target.failed" ]; then
    status=1
    tail -n 60 "$scratch/$target.log"
  fi
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|Done )' "$scratch/$target.log" || true
done
exit $status
