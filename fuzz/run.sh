#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each to a number of executions:
#   fuzz/run.sh [RUNS-PER-TARGET] [TARGET...]        (default 10000000 runs, every target)
# Each target starts from its kept corpus in fuzz/corpus/<target>/ (and fuzz/seeds/<target>/);
# what it finds new is merged back, minimised, into fuzz/corpus/<target>/, which is kept in git
# and replayed by the test suite (ctest -R fuzz_replay). A crash leaves its input in
# fuzz/findings/<target>/ and fails the run. The summary line of each target gives its
# executions, coverage (cov: edges, ft: features, as libFuzzer counts them) and corpus size.
# FUZZ_BUILD: another build folder (default build-fuzz); FUZZ_MAX_SECONDS: a time limit per target
# as well.
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

runs=${1:-10000000}
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
    work=$build/corpus-$t
    mkdir -p "$corpus" "$findings"
    rm -rf "$work"
    mkdir -p "$work"
    log=$build/$t.log
    echo "== $t: $runs runs"
    seeds=(); [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
    limit=(); [ -n "${FUZZ_MAX_SECONDS:-}" ] && limit=(-max_total_time="$FUZZ_MAX_SECONDS")
    # New inputs go to a work folder; the kept corpus is only read.
    if "$build/bin/$t" "$work" "$corpus" "${seeds[@]}" -runs="$runs" "${limit[@]}" \
        -max_len=1024 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/" >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
    fi
    # The kept corpus minimised: few inputs that still reach every edge any of them reaches (edges
    # only, not hit counts: the corpus stays at tens to a few hundred small files).
    merged=$build/merged-$t
    rm -rf "$merged"
    mkdir -p "$merged"
    "$build/bin/$t" -merge=1 -use_counters=0 "$merged" "$corpus" "$work" "${seeds[@]}" \
        >"$log.merge" 2>&1 || true
    if [ -n "$(ls -A "$merged")" ]; then
        rm -rf "$corpus"
        mv "$merged" "$corpus"
    fi
    executed=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    line=$(grep -E '^#[0-9]+.*(cov|DONE)' "$log" | tail -1)
    cov=$(echo "$line" | grep -o 'cov: [0-9]*' | grep -o '[0-9]*' || echo 0)
    ft=$(echo "$line" | grep -o 'ft: [0-9]*' | grep -o '[0-9]*' || echo 0)
    crashes=$(ls "$findings" | wc -l)
    echo "$t: $result, $executed executions, cov $cov, ft $ft, corpus $(ls "$corpus" | wc -l)" \
        "inputs, findings $crashes"
    [ "$result" = ok ] || tail -40 "$log"
done
exit $status
