#!/usr/bin/env bash
# Builds Kestrin and starts it on the bundled sample photograph with the bundled
# gallery (beside the executable). Any arguments replace the photograph.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh" "$root/build"
if [ $# -eq 0 ]; then set -- "$root/samples/smile.jpg"; fi
exec "$root/build/app/kestrin" "$@"
