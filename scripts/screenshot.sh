#!/usr/bin/env bash
# Starts the built kestrin on a photograph in a private Xvfb display and saves a
# screenshot of the whole screen. Usage: scripts/screenshot.sh OUT.png [PHOTO] [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$1"
photo="${2:-$root/samples/smile.jpg}"
wait="${3:-4}"
build="${KESTRIN_BUILD:-$root/build}"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY="$display" "$build/app/kestrin" "$photo" &
app=$!
sleep "$wait"
DISPLAY="$display" import -window root "$out"
