#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root, starts the installed
# kestrin there on the installed sample photograph in a private Xvfb display,
# checks that its window comes up with the installed gallery, and quits it
# through its File menu.
#
# Usage: scripts/package-check.sh [--system] [BUILD_DIR]
#   BUILD_DIR  the build tree to package (default: build/, as scripts/test.sh uses)
#   --system   install the package on this machine with apt-get instead (root
#              only; for a throw-away machine), and remove it again afterwards
#
# Leaves the package in BUILD_DIR/package/ and a screenshot of the started
# program in BUILD_DIR/package/package-check.png. Every wait is bounded; the
# display, the program and the scratch folder are cleaned up on any exit.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

system=0
if [ "${1:-}" = "--system" ]; then
  system=1
  shift
fi
build="${1:-$root/build}"

say() { echo "package-check: $*"; }
fail() {
  echo "package-check: FAILED: $*" >&2
  exit 1
}

scratch="$(mktemp -d "${TMPDIR:-/tmp}/kestrin-package.XXXXXX")"
xvfb=""
app=""
installed_on_system=0
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  if [ "$installed_on_system" = 1 ]; then
    dpkg -r kestrin >/dev/null 2>&1 || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# Build and package.
"$root/scripts/build.sh" "$build"
mkdir -p "$build/package"
rm -f "$build/package/"kestrin_*.deb
(cd "$build" && timeout 300 cpack -G DEB -B "$build/package" >"$scratch/cpack.log" 2>&1) \
  || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb="$(ls "$build/package/"kestrin_*.deb)"
say "built $deb"

# The package holds what an installation needs, in the usual places.
contents="$(dpkg-deb -c "$deb")"
for file in ./usr/bin/kestrin ./usr/bin/molvex-photodb \
  ./usr/share/kestrin/Gallery/bracket.csv ./usr/share/kestrin/samples/smile.jpg \
  ./usr/share/applications/kestrin.desktop ./usr/share/icons/hicolor/64x64/apps/kestrin.png; do
  grep -q " $file\$" <<<"$contents" || fail "$file missing from the package"
done
[ "$(grep -c ' ./usr/share/kestrin/Gallery/bracket[0-9]*\.png$' <<<"$contents")" -gt 0 ] \
  || fail "no gallery pictures in the package"

# Every dependency must be met here, or the package would not install on a
# machine set up like this one.
depends="$(dpkg-deb -f "$deb" Depends)"
say "Depends: $depends"
for name in libqt6widgets6 libqt6printsupport6 libqt6sql6-sqlite libjpeg62-turbo fonts-noto-cjk; do
  grep -qw "$name" <<<"$depends" || fail "$name not among the dependencies"
done
IFS=',' read -ra clauses <<<"$depends"
for clause in "${clauses[@]}"; do
  met=0
  IFS='|' read -ra alternatives <<<"$clause"
  for alternative in "${alternatives[@]}"; do
    name="$(awk '{print $1}' <<<"$alternative")"
    version="$(sed -n 's/.*(\(.*\)).*/\1/p' <<<"$alternative")"
    have="$(dpkg-query -W -f='${Status} ${Version}' "$name" 2>/dev/null | sed -n 's/^install ok installed //p')"
    [ -n "$have" ] || continue
    if [ -z "$version" ] || dpkg --compare-versions "$have" "${version%% *}" "${version#* }"; then
      met=1
    fi
  done
  [ "$met" = 1 ] || fail "dependency not met on this machine: $clause"
done

# Install.
if [ "$system" = 1 ]; then
  [ "$(id -u)" -eq 0 ] || fail "--system needs root"
  DEBIAN_FRONTEND=noninteractive timeout 300 apt-get install -y -qq "$deb" >/dev/null
  installed_on_system=1
  prefix=/usr
else
  dpkg -x "$deb" "$scratch/root"
  prefix="$scratch/root/usr"
fi
say "installed under $prefix"

# A home of its own: no INI names a gallery, so the program has to find the
# installed one by itself.
home="$scratch/home"
mkdir -p "$home/run" && chmod 700 "$home/run"
export HOME="$home" XDG_RUNTIME_DIR="$home/run" XDG_CONFIG_HOME="$home/.config"
export MOLVEX_INI="$home/Molvex.ini" MOLVEX_PHOTODB="$home/photos.db"
export MOLVEX_TEMP="$home/temp/" MOLVEX_PHOTOSTORE="$home/Photos"
export QT_QPA_PLATFORM=xcb
unset QT_PLUGIN_PATH LD_LIBRARY_PATH

# The photo-database tool works from the package (it needs the SQLite driver).
photo="$prefix/share/kestrin/samples/smile.jpg"
timeout 30 "$prefix/bin/molvex-photodb" add "$photo" --flags 0 >/dev/null || fail "molvex-photodb add"
timeout 30 "$prefix/bin/molvex-photodb" list | grep -q "smile.jpg\$" || fail "molvex-photodb list"

# A free display number, reported by the server itself.
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"
  sleep 0.1
done
[ -s "$scratch/display" ] || fail "Xvfb did not report a display"
export DISPLAY=":$(head -n1 "$scratch/display")"

"$prefix/bin/kestrin" "$photo" >"$scratch/kestrin.log" 2>&1 &
app=$!
window="$(timeout 30 xdotool search --sync --onlyvisible --name '^smile\.jpg - Kestrin$' | head -n1 || true)"
[ -n "$window" ] || { cat "$scratch/kestrin.log" >&2; fail "no window \"smile.jpg - Kestrin\" within 30 s"; }
say "window $window: $(xdotool getwindowname "$window")"
# A missing gallery would show its message box, titled "Kestrin".
sleep 1
if xdotool search --onlyvisible --name '^Kestrin$' >/dev/null 2>&1; then
  fail "a message box came up (is the installed gallery found?)"
fi
import -window root "$build/package/package-check.png" 2>/dev/null || true

# Quit as a user would: File menu, then "Exit Kestrin" (its mnemonic is X).
xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key x
for _ in $(seq 150); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app" 2>/dev/null; then
  fail "kestrin still running 15 s after Exit"
fi
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || { cat "$scratch/kestrin.log" >&2; fail "kestrin exited with status $status"; }
grep -q '^WINZOOM=' "$MOLVEX_INI" || fail "no window state written to the INI at exit"
say "OK: the package installs, starts on the sample photograph and quits cleanly"
