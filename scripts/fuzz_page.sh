#!/usr/bin/env bash
# Fuzzes showing pages (pictures, tables, panels, floating frames) with
# libFuzzer under AddressSanitizer and UBSan: scripts/fuzz.sh for fuzz_page.
#   scripts/fuzz_page.sh [SECONDS]
exec "$(dirname "$0")/fuzz.sh" "${1:-600}" fuzz_page
