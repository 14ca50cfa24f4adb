#!/usr/bin/env bash
# Starts the built kestrin on a photograph in a private Xvfb display run by openbox
# and saves a screenshot of its window with the frame (the whole screen when the
# window cannot be found).
# Usage: scripts/screenshot.sh OUT.png [PHOTO] [SECONDS]
# The environment passes through, so QT_SCALE_FACTOR=2 shows the window at 200 %;
# KESTRIN_SCREEN sets the screen size (default 1600x1000, twice that at 200 %).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$1"
photo="${2:-$root/samples/smile.jpg}"
wait="${3:-4}"
build="${KESTRIN_BUILD:-$root/build}"
factor="${QT_SCALE_FACTOR:-1}"
screen="${KESTRIN_SCREEN:-$(awk -v f="$factor" 'BEGIN { printf "%dx%d", 1600 * f, 1000 * f }')}"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
wm=""
trap 'kill $app $wm $xvfb 2>/dev/null || true' EXIT
sleep 1
if command -v openbox >/dev/null; then
  DISPLAY="$display" openbox >/dev/null 2>&1 &
  wm=$!
  sleep 0.5
fi
DISPLAY="$display" "$build/app/kestrin" "$photo" &
app=$!
sleep "$wait"
window="$(DISPLAY="$display" xdotool search --name ' - Kestrin$' 2>/dev/null | head -1 || true)"
if [ -n "$window" ]; then
  DISPLAY="$display" import -window "$window" -frame "$out"
else
  DISPLAY="$display" import -window root "$out"
fi
