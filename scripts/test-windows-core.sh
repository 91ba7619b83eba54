#!/usr/bin/env bash
# The core for Windows: the model, the engine, the device sequences and the emulated device are
# cross-built with MinGW-w64 as Windows x86-64 executables together with their tests
# (GoogleTest built from Debian's sources), and the tests run under Wine in a private prefix.
# Installs what is missing. Any failure, and a run without tests, fails; the last line says how
# many tests passed.
#   scripts/test-windows-core.sh [BUILD_FOLDER]      (default build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
build=${1:-build-windows}

scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 googletest

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DLUM_CORE_ONLY=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
built=$((SECONDS - started))

# Debian 12's wine64 package puts its loader into /usr/lib/wine; the wine package adds the
# wrappers on PATH.
wine=""
for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64 "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
        wine=$candidate
        break
    fi
done
if [ -z "$wine" ]; then
    echo "Windows core: Wine not found (wine64, /usr/lib/wine/wine64, wine)" >&2
    exit 1
fi
wineserver=$(dirname "$(readlink -f "$wine")")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)

# A prefix of our own in the build folder, no display, no Mono or Gecko installer, no debug
# chatter. The prefix's server is ended when the run ends.
export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
unset WAYLAND_DISPLAY
stop_wineserver() {
    if [ -n "$wineserver" ]; then
        "$wineserver" -k 2>/dev/null || true
    fi
}
trap stop_wineserver EXIT
logs="$build/wine-logs"
mkdir -p "$logs"
if ! "$wine" wineboot --init >"$logs/wineboot.log" 2>&1; then
    cat "$logs/wineboot.log" >&2
    echo "Windows core: the Wine prefix $WINEPREFIX could not be set up" >&2
    exit 1
fi

shopt -s nullglob
executables=("$build"/bin/*_tests.exe)
if [ ${#executables[@]} -eq 0 ]; then
    echo "Windows core: no test executable in $build/bin" >&2
    exit 1
fi

# The count on one of GoogleTest's closing lines ("[  PASSED  ] 195 tests."); 0 when absent.
count() {
    local n
    n=$(sed -n "s/^\[  $1 *\] \([0-9]*\) tests\{0,1\}[.,].*/\1/p" "$2" | tail -1)
    echo "${n:-0}"
}

passed=0
failed=0
skipped=0
bad=()
for exe in "${executables[@]}"; do
    name=$(basename "$exe" .exe)
    format=$(x86_64-w64-mingw32-objdump -f "$exe" | sed -n 's/.*file format //p')
    if [ "$format" != "pei-x86-64" ]; then
        echo "Windows core: $exe is no Windows x86-64 executable (${format:-unknown format})" >&2
        exit 1
    fi
    status=0
    "$wine" "$exe" >"$logs/$name.log" 2>&1 || status=$?
    # Wine hands the console output over with Windows line ends.
    tr -d '\r' <"$logs/$name.log" >"$logs/$name.txt"
    p=$(count PASSED "$logs/$name.txt")
    f=$(count FAILED "$logs/$name.txt")
    s=$(count SKIPPED "$logs/$name.txt")
    echo "$name.exe ($format) under Wine: $p passed, $f failed, $s skipped, exit status $status"
    if [ "$status" -ne 0 ] || [ "$f" -ne 0 ] || [ "$p" -eq 0 ]; then
        grep -E '^\[  FAILED  \] [A-Za-z]' "$logs/$name.txt" | sort -u >&2 || true
        tail -n 15 "$logs/$name.txt" >&2
        bad+=("$name")
        if [ "$f" -eq 0 ]; then
            f=1 # a crash or a run without tests counts as a failure
        fi
    fi
    passed=$((passed + p))
    failed=$((failed + f))
    skipped=$((skipped + s))
done

echo "Windows core: $passed passed, $failed failed, $skipped skipped" \
    "(${#executables[@]} executables; built in ${built}s, all in $((SECONDS - started))s)"
if [ ${#bad[@]} -gt 0 ]; then
    echo "Windows core: failed in ${bad[*]}; the whole output is in $logs/" >&2
    exit 1
fi
