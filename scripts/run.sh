#!/usr/bin/env bash
# Installs what is needed, builds, and shows the bundled sample ebook.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build/bin/zebtool info build/samples/guida.zeb
