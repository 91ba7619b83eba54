#!/usr/bin/env bash
# Builds the benchmarks (release) and runs them: bench.sh [ROUNDS] [TRANSACTIONS]
# valgrind is installed for the count of instructions per transaction.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh valgrind
scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release -DLUM_BUILD_BENCH=ON -DLUM_BUILD_TESTS=OFF
status=0
build-bench/bin/bench_link "${1:-5}" "${2:-1000}" || status=1
scripts/bench_instructions.sh build-bench/bin/bench_link || status=1
build-bench/bin/bench_scan 3 || status=1
build-bench/bin/bench_monitor || status=1
exit $status
