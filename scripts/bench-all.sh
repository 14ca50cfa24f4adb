#!/usr/bin/env bash
# Builds a release tree and runs every benchmark case once, one after the other,
# printing the figures. Usage: scripts/bench-all.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-release}"
BUILD_TYPE=Release "$root/scripts/build.sh" "$build" -DKESTRIN_TESTS=OFF >/dev/null
for case in open paint adjust hittest slider gallery save firstframe startup; do
  echo "## $case"
  QT_QPA_PLATFORM=offscreen "$build/bench/kestrin-bench" "$case" 2>/dev/null
  echo
done
