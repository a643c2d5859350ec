#!/usr/bin/env bash
# Fuzzes with libFuzzer under AddressSanitizer and UBSan: opening ebooks
# (fuzz_open, the default), showing pages (fuzz_page), or the contents tree
# and the search (fuzz_search).
#   scripts/fuzz.sh [SECONDS] [TARGET]
# FUZZ_ARGS adds libFuzzer options, e.g. FUZZ_ARGS="-fork=1 -ignore_timeouts=1"
# to go on after an input that hangs (the media framework can).
# fuzz_open draws pages on an offscreen frame set; whatever a target writes
# goes to build-fuzz/tmp, which is emptied at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
target=${2:-fuzz_open}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLECTRA_TESTS=OFF -DLECTRA_BENCH=OFF -DLECTRA_SAMPLE=OFF -DLECTRA_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined" >/dev/null
cmake --build build-fuzz --target "$target"
corpus=build-fuzz/corpus; [ "$target" = fuzz_open ] || corpus=build-fuzz/corpus-$target
mkdir -p "$corpus" build-fuzz/tmp
# The ebook targets start from the hand-made ebooks of fuzz/corpus (the
# sample, old-format files and damaged pages kept from the tests); the search
# from fuzz/corpus-search (ebooks long enough for runs on two threads).
case "$target" in
  fuzz_open | fuzz_page) cp -n fuzz/corpus/* "$corpus"/ 2>/dev/null || true ;;
  fuzz_search) cp -n fuzz/corpus-search/* "$corpus"/ 2>/dev/null || true ;;
esac
trap 'rm -rf build-fuzz/tmp' EXIT
# Qt keeps font and glyph caches for the life of the process: they are not
# leaks of the reader, so leak checking stays off.
TMPDIR="$PWD/build-fuzz/tmp" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
  build-fuzz/bin/"$target" "$corpus" -rss_limit_mb=2048 -malloc_limit_mb=1024 \
  -max_len=65536 -timeout=10 -max_total_time="$seconds" -print_final_stats=1 ${FUZZ_ARGS:-}
