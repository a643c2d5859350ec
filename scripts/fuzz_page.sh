#!/usr/bin/env bash
# Fuzzes showing pages with libFuzzer under AddressSanitizer and UBSan.
#   scripts/fuzz_page.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLECTRA_TESTS=OFF -DLECTRA_BENCH=OFF -DLECTRA_SAMPLE=OFF -DLECTRA_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined" >/dev/null
cmake --build build-fuzz --target fuzz_page
mkdir -p build-fuzz/corpus-page
cp -n fuzz/corpus/* build-fuzz/corpus-page/ 2>/dev/null || true
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 build-fuzz/bin/fuzz_page build-fuzz/corpus-page \
  -rss_limit_mb=3072 -malloc_limit_mb=1024 -timeout=10 -max_len=65536 -max_total_time="$seconds" -print_final_stats=1
