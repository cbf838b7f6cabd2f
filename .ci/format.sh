#!/usr/bin/env bash
# CI: every C++ file of the tree is laid out as .clang-format says; installs clang-format-14
# when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format-14 >/dev/null; then
  S=$([ "$(id -u)" = 0 ] || echo sudo)
  $S apt-get update
  $S env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends clang-format-14
fi
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
echo "layout as .clang-format says"
