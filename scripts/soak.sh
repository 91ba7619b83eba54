#!/usr/bin/env bash
# Soak run, not part of the test suite: the main window reads and writes a six-module device on
# the emulator (1 % of its answers with a spoilt CRC) in turn for the given time, then checks
# that the emulator holds the model and that the program's memory has not grown.
#   scripts/soak.sh [MINUTES]      (default 60)
# Builds in build-soak (or $SOAK_BUILD) and prints the figures as lines starting "soak:".
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-60}
build=${SOAK_BUILD:-build-soak}
bash scripts/setup.sh
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "${SOAK_JOBS:-2}" --target app_tst_linefaults_soak lum08-emu
export QT_QPA_PLATFORM=offscreen LUM_BIN_DIR="$PWD/$build/bin" LUM_SOAK_MINUTES="$minutes"
# Qt Test ends a test function after 5 minutes unless told otherwise.
export QTEST_FUNCTION_TIMEOUT=$(awk -v m="$minutes" 'BEGIN { printf "%d", (m + 10) * 60000 }')
echo "Soak run of $minutes minutes started $(date '+%F %T')"
"$build/bin/app_tst_linefaults_soak" -maxwarnings 0 2>&1 | grep -v "propagateSizeHints"
