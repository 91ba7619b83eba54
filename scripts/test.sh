#!/usr/bin/env bash
# Installs what is missing, builds and runs every test twice: a normal build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer; then the core's tests built for Windows, under
# Wine. Any failure or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

scripts/build.sh build
(cd build && ctest --output-on-failure -j "$jobs")

scripts/build.sh build-asan -DLUM_SANITIZE=ON
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-asan && ctest --output-on-failure -j "$jobs")
scripts/test-windows-core.sh
echo "All tests passed in both builds."
