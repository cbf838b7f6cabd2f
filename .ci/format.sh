#!/usr/bin/env bash
# CI: every C++ file of the tree is laid out as .clang-format says; installs clang-format-14
# when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source .ci/need.sh
need clang-format-14
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
echo "layout as .clang-format says"
