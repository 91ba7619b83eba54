#!/usr/bin/env bash
# Installs what is missing, builds the program (release) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build-run -DCMAKE_BUILD_TYPE=Release -DLUM_BUILD_TESTS=OFF
exec build-run/bin/lum08 "$@"
