#!/usr/bin/env bash
# Instructions per function-4 transaction on the master's side, the engine's (direct road)
# against libmodbus' on the same pseudo-terminal and emulator: bench_instructions.sh BENCH_LINK
# [N]. callgrind counts only inside the function that makes the transactions (ReadClock,
# modbus_read_input_registers) and only on the calling thread, so that the start-up and the
# emulator's thread stay out; the difference between N and 2N transactions leaves out what the
# first transaction alone costs. Target: the engine at most libmodbus. Exits 1 when missed, 2
# when it cannot count.
set -euo pipefail
bench=${1:?bench_link}
n=${2:-200}
if ! command -v valgrind >/dev/null; then
    echo "instructions per transaction: valgrind is not installed" >&2
    exit 2
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

collected() { # KIND FUNCTION COUNT
    valgrind --tool=callgrind --callgrind-out-file="$out/$1.$3" --toggle-collect="$2" \
        "$bench" profile "$1" "$3" 2>&1 >/dev/null | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

per() { # KIND FUNCTION
    local one two
    one=$(collected "$1" "$2" "$n")
    two=$(collected "$1" "$2" $((2 * n)))
    if [ -z "$one" ] || [ -z "$two" ]; then
        echo "instructions per transaction: callgrind gave no count for $1" >&2
        exit 2
    fi
    echo $(((two - one) / n))
}

engine=$(per direct 'ReadClock*')
lib=$(per libmodbus modbus_read_input_registers)
verdict=ok
[ "$engine" -le "$lib" ] || verdict=MISSED
printf 'function 4: instructions per transaction (callgrind, master side), engine %d, libmodbus %d\n' \
    "$engine" "$lib"
printf '%-46s %9.3f   <= 1.000 (direct) %s\n' "instructions: engine / libmodbus" \
    "$(echo "$engine $lib" | awk '{printf "%.3f", $1 / $2}')" "$verdict"
[ "$verdict" = ok ]
