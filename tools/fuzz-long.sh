#!/usr/bin/env bash
# Every fuzz target for a long while (default 600 s each; KSR_FUZZ_SECONDS changes that), built
# and run as .ci/fuzz.sh does in CI for a few seconds each.
set -euo pipefail
cd "$(dirname "$0")/.."
KSR_FUZZ_SECONDS=${KSR_FUZZ_SECONDS:-600} exec bash .ci/fuzz.sh
