#!/usr/bin/env bash
# CI: build with clang, AddressSanitizer and UndefinedBehaviorSanitizer (the "asan" preset, whose
# build also holds the fuzz targets) and run every test there. Any sanitizer report, from a test
# or from a program a test starts, fails the run. KSR_ASAN_BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KSR_ASAN_BUILD:-build-asan}

source .ci/need.sh
need clang-14 libclang-rt-14-dev qt6-base-dev qt6-serialport-dev qt6-l10n-tools libxcb1-dev cmake ninja-build ccache \
  xvfb xauth

# The flags are the preset's (-O1: far quicker to build than -O2, quick enough to run).
cmake --preset asan -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)"

# Reports go to files, so one from a program a test starts is caught too; printed at the end.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1:log_path=$logs/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$logs/ubsan"

status=0
ctest --test-dir "$build" -j6 --output-on-failure || status=$?

if compgen -G "$logs/*" >/dev/null; then
  for f in "$logs"/*; do
    echo "=== $f" >&2
    cat "$f" >&2
  done
  echo "sanitizer reports above" >&2
  status=1
fi
exit "$status"
