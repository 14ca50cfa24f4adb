#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz/ and runs each for the given number of seconds, starting from
# seeds made from the bundled samples. Installs clang with apt-get when missing.
#
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#   SECONDS_PER_TARGET  default 60
#   TARGET              fuzz_catalogue, fuzz_photo (default: both)
#
# The corpus grows in build-fuzz/corpus/TARGET and is reused by the next run; a
# crashing input is kept as build-fuzz/crashes/TARGET/crash-… and the script ends
# with status 1. Reproduce one with: build-fuzz/fuzz/TARGET FILE
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KESTRIN_FUZZ_BUILD:-$root/build-fuzz}"
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_catalogue fuzz_photo)

"$root/scripts/setup.sh"
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: clang libclang-rt-dev"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-dev >/dev/null
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DKESTRIN_FUZZ=ON -DKESTRIN_TESTS=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target "${targets[@]}"

# Seeds: the sample catalogue and a CP932 line; the sample photograph shrunk to
# a few kilobytes in each accepted format.
seeds="$build/seeds"
mkdir -p "$seeds/fuzz_catalogue" "$seeds/fuzz_photo"
cp "$root/samples/Gallery/bracket.csv" "$seeds/fuzz_catalogue/sample.csv"
printf 'bracket0001.png,\x83\x81\x83\x5e\x83\x8b,\x83X\x83e\x83\x93\x83\x8c\x83X,NiTi,V,M,inner\r\n' \
  >"$seeds/fuzz_catalogue/cp932.csv"
printf '\xef\xbb\xbfbracket0002.png,A,m,w,v,memo,outer\r\nbracket0001.png,B\n' >"$seeds/fuzz_catalogue/bom.csv"
for format in jpg png bmp; do
  convert "$root/samples/smile.jpg" -resize 24x16 "$seeds/fuzz_photo/smile.$format"
done
convert "$root/samples/smile.jpg" -resize 12x12 -alpha set -channel A -evaluate set 50% \
  "$seeds/fuzz_photo/alpha.png"

cat >"$build/catalogue.dict" <<'EOF'
"bracket0001.png"
"bracket0002.png"
","
"\x0d\x0a"
"\x0a"
"inner"
"outer"
"\xef\xbb\xbf"
"\\"
"../"
EOF

export ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  crashes="$build/crashes/$target"
  mkdir -p "$corpus" "$crashes"
  dict=()
  [ "$target" = fuzz_catalogue ] && dict=(-dict="$build/catalogue.dict")
  echo "== $target for ${seconds}s"
  # -timeout: a single input taking this long is reported like a crash.
  if ! (cd "$crashes" && timeout $((seconds + 120)) "$build/fuzz/$target" "$corpus" "$seeds/$target" \
    -max_total_time="$seconds" -timeout=25 -rss_limit_mb=4096 -max_len=65536 \
    -print_final_stats=1 "${dict[@]}" 2>"$build/$target.log"); then
    status=1
    echo "$target: FAILED, see $build/$target.log and $crashes"
  fi
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ *DONE)' "$build/$target.log" || true
  grep -E 'ERROR|SUMMARY|runtime error' "$build/$target.log" | head -5 || true
done
exit $status
