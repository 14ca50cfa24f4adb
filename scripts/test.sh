#!/usr/bin/env bash
# Builds and runs the test suite headless. With --sanitize, builds a separate tree
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs the suite there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
args=()
if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build-sanitize"
  args=(-DKESTRIN_SANITIZE=ON)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  BUILD_TYPE=Debug "$root/scripts/build.sh" "$build" "${args[@]}"
else
  "$root/scripts/build.sh" "$build"
fi
"$root/scripts/check-layers.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "${JOBS:-2}"
