#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -DLUM_BUILD_TESTS=OFF
if [ -x build/bin/lum08 ]; then
    exec build/bin/lum08 "$@"
fi
echo "The main window is not built yet: starting the device emulator instead (Ctrl+C ends it)."
exec build/bin/lum08-emu --link /tmp/lum08-emu
