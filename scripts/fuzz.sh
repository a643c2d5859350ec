#!/usr/bin/env bash
# Fuzzes opening ebooks with libFuzzer under AddressSanitizer and UBSan.
#   scripts/fuzz.sh [SECONDS]
# The target draws pages on an offscreen frame set; whatever it writes goes
# to build-fuzz/tmp, which is emptied at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLECTRA_TESTS=OFF -DLECTRA_BENCH=OFF -DLECTRA_SAMPLE=OFF -DLECTRA_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined" >/dev/null
cmake --build build-fuzz --target fuzz_open
mkdir -p build-fuzz/corpus build-fuzz/tmp
cp -n fuzz/corpus/* build-fuzz/corpus/ 2>/dev/null || true
trap 'rm -rf build-fuzz/tmp' EXIT
# Qt keeps font and glyph caches for the life of the process: they are not
# leaks of the reader, so leak checking stays off.
TMPDIR="$PWD/build-fuzz/tmp" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
  build-fuzz/bin/fuzz_open build-fuzz/corpus -rss_limit_mb=2048 -malloc_limit_mb=1024 \
  -max_len=65536 -timeout=10 -max_total_time="$seconds" -print_final_stats=1
