#!/usr/bin/env bash
# CI: build the fuzz targets in the "asan" preset's build (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer; the same build the sanitizer test run uses), then run each for a
# bounded time from a copy of its seed corpus. Any crash, leak or sanitizer report fails.
# KSR_FUZZ_SECONDS sets the time per target (default 5; tools/fuzz-long.sh runs them longer).
# KSR_ASAN_BUILD names the build folder (default build-asan).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${KSR_FUZZ_SECONDS:-5}
build=${KSR_ASAN_BUILD:-build-asan}

source .ci/need.sh
need clang-14 libclang-rt-14-dev qt6-base-dev qt6-serialport-dev qt6-l10n-tools libxcb1-dev cmake ninja-build ccache

cmake --preset asan -B "$build" >/dev/null
cmake --build "$build" --target ksr_fuzzers -j"$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
failed=()
for corpus in fuzz/corpus/*/; do
  target=$(basename "$corpus")
  mkdir -p "$work/$target/corpus" "$work/$target/crashes"
  cp "$corpus"* "$work/$target/corpus/"
  echo "+ fuzz_$target for ${seconds}s"
  if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/$target/crashes/" "$work/$target/corpus" \
    >"$work/$target/log" 2>&1; then
    tail -n 60 "$work/$target/log"
    for crash in "$work/$target/crashes/"*; do
      if [ -f "$crash" ]; then
        echo "input $(basename "$crash"):"
        od -c "$crash" | head -n 20
      fi
    done
    failed+=("$target")
  fi
  grep -E '^stat::number_of_executed_units' "$work/$target/log" || true
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets failed: ${failed[*]}" >&2
  exit 1
fi
echo "all fuzz targets passed"
