#!/usr/bin/env bash
# Installs what is needed, builds, and opens the bundled sample ebook in the reader.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/bin/lectra build/samples/guida.zeb
