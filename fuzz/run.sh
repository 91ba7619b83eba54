#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time:
#   fuzz/run.sh [SECONDS-PER-TARGET] [TARGET...]        (default 60 s, every target)
# Corpora grow in fuzz/corpus/<target>/ (not kept in git); a crash leaves its input in
# fuzz/findings/<target>/ and fails the run. The summary line of each target gives its
# executions. Set FUZZ_BUILD to use another build folder (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(clang libclang-rt-14-dev cmake ninja-build qt6-base-dev qt6-serialport-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi

seconds=${1:-60}
shift || true
build=${FUZZ_BUILD:-build-fuzz}
CXX=clang++ cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "${FUZZ_JOBS:-2}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for t in "${targets[@]}"; do
    corpus=fuzz/corpus/$t
    findings=fuzz/findings/$t
    mkdir -p "$corpus" "$findings"
    log=$build/$t.log
    echo "== $t: $seconds s"
    seeds=(); [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
    if "$build/bin/$t" "$corpus" "${seeds[@]}" -max_total_time="$seconds" -max_len=1024 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || echo 0)
    echo "$t: $result, $runs executions, coverage $cov, corpus $(ls "$corpus" | wc -l) inputs"
    [ "$result" = ok ] || tail -40 "$log"
done
exit $status
