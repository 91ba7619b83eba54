#!/usr/bin/env bash
# Takes the pictures of the operator's guide (docs/guide/*.png) from the program itself: runs
# lum08 under Xvfb with openbox against lum08-emu, opens its windows from the keyboard as an
# operator would, and saves each window cropped to itself. A changed window is a re-run, not a
# redraw. Rebuild afterwards: the guide and its pictures are compiled into the program.
#
#   scripts/guide-pictures.sh [BUILD_FOLDER]
#
# Installs xvfb, openbox, xdotool and imagemagick when they are missing. The program runs in a
# home folder of its own (its history, settings and password file stay out of the operator's).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
out=$root/docs/guide

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v openbox >/dev/null || need+=(openbox)
command -v xdotool >/dev/null || need+=(xdotool)
command -v import >/dev/null || need+=(imagemagick)
if ((${#need[@]})); then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
        "${need[@]}"
fi

cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target lum08 lum08-emu -j2 >/dev/null
lum08=$root/$build/bin/lum08
emu=$root/$build/bin/lum08-emu

work=$(mktemp -d /tmp/lum08-guide.XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/run LANG=C.UTF-8
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$HOME/Documents"
chmod 700 "$XDG_RUNTIME_DIR"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.2; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# The port's name as the windows show it: short, like a real adapter's.
tty=/tmp/ttyLUM0
[ -e "$tty" ] && { echo "guide-pictures: $tty is in use" >&2; exit 1; }
# An emulated device 1 with an "МЛВ" in slot 0 and an "МСЮ" in slot 3.
"$emu" --modules 0:1,3:2 --busy 1 --speed 9600 --link "$tty" >"$work/emu.out" 2>"$work/emu.log" &
pids+=($!)
for _ in $(seq 50); do [ -e "$tty" ] && break; sleep 0.1; done

cd "$work" # the password file is looked for here: none, so the factory password holds
"$lum08" >"$work/lum08.log" 2>&1 &
lum08_pid=$!
pids+=($lum08_pid)

# The id of the visible window with this exact title (waits for it up to 20 s).
window() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "guide-pictures: no window \"$1\"" >&2
    import -window root "$work/last-screen.png" 2>/dev/null && cp "$work/last-screen.png" /tmp/
    return 1
}
keys() { xdotool key --clearmodifiers --delay 120 "$@"; sleep 0.6; }
type_text() { xdotool type --delay 60 "$1"; sleep 0.3; }
# The window as the operator sees it, cropped to itself and in few colours, so that the
# pictures stay small.
shot() {
    local id=$1 name=$2
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    sleep 0.8
    import -frame -window "$id" "$work/$name.png"
    convert "$work/$name.png" -strip -colors 64 "PNG8:$out/$name.png"
    echo "$name.png $(identify -format '%wx%h' "$out/$name.png") $(stat -c %s "$out/$name.png") B"
}
# A menu of the main window's bar by its place (0 "Файл", 1 "Правка", 2 "Порт", 4 "Справка"), then its
# item by its place among the items (separators not counted).
menu() {
    local bar=$1 item=$2
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    keys alt
    for ((i = 0; i < bar; i++)); do keys Right; done
    keys Down
    for ((i = 0; i < item; i++)); do keys Down; done
    keys Return
}

password=$(window "Введите пароль и нажмите  <ENTER>")
shot "$password" password
type_text 9461
keys Return
main=$(window "Программатор ЛУМ - 08")

# Port: the emulator's pseudo-terminal, typed as the operator would type a port's name.
menu 2 2
port=$(window "Настройка СОМ-порта")
keys ctrl+a
type_text "$tty"
shot "$port" port
keys Return
sleep 1

menu 2 3
timing=$(window "Настройка параметров обмена")
shot "$timing" timing
keys Escape

# The bus monitor records from its first opening: opened before the read, it has the read's
# frames to show; minimised meanwhile, it covers no other window.
keys ctrl+m
monitor=$(window "Монитор обмена")
xdotool windowminimize "$monitor"
sleep 0.5
xdotool windowactivate --sync "$main" 2>/dev/null || true
keys F9
sleep 4
main=$(window "Программатор ЛУМ - 08")
xdotool windowsize "$main" 760 560
sleep 0.5
shot "$main" main

# "Обзор линии" over devices 1..3 at every speed, then back to the main window.
menu 2 4
scan=$(window "Обзор линии")
keys Tab Tab Tab Tab Tab Tab Tab Tab ctrl+a
type_text 3
keys Return
sleep 12
shot "$scan" scan
keys Escape

# The main window's buttons in their tab order from the device number: the new number, the
# test and clock buttons, the two modules' program buttons, then the inputs, network and F15.
from_device() {
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool mousemove --window "$main" 80 82 click 1 && sleep 0.4 && keys Escape
    for ((i = 0; i < $1; i++)); do keys Tab; done
    keys space
}

from_device 4
scheme=$(window "Программирование обработки дискретных входов.*")
sleep 1
# The fourth row, input 4 of the "МСЮ" module: its context menu from the keyboard. Its first
# command adds the signalling block and opens its dialog.
keys Down Down Down Down Return
keys Down Return
signalling=$(window "Программирование сигнализации ЛУМ-08")
keys Down Down
shot "$signalling" signalling
keys Return
sleep 0.5
# Then "Добавить блок задержки": after the signalling's edit and delete, the third command.
keys Return
keys Down Down Down Return
delay=$(window "Программ. задерж. выходов ЛУМ-08")
keys ctrl+a
type_text 5
shot "$delay" delay
keys Return
sleep 0.5
shot "$scheme" scheme
keys Escape
sleep 1
# Closing offers to send the change to the device ("Да", two buttons before the focused
# "Отмена"): the write keeps a back-up, for "История прибора" below.
keys shift+Tab shift+Tab space
sleep 6

from_device 5
inputs=$(window "Информация о входах")
keys Down Return
label=$(window "Задание текстового реквизита входа")
keys ctrl+a
type_text "Насос 1 пуск"
shot "$label" label
keys Return Return
sleep 0.5
shot "$inputs" inputs
keys Escape

from_device 6
network=$(xdotool getactivewindow)
sleep 1
shot "$network" network
keys Escape
sleep 1

from_device 7
f15=$(xdotool getactivewindow)
sleep 1
shot "$f15" f15
keys Escape
sleep 1

from_device 3
clock=$(window "Задание времени и даты")
sleep 2
shot "$clock" clock
keys Escape

# The monitor, opened before the read, back on the screen.
xdotool windowactivate --sync "$monitor" 2>/dev/null || xdotool windowmap "$monitor"
sleep 0.5
xdotool windowsize "$monitor" 900 420
sleep 0.5
shot "$monitor" monitor
xdotool windowclose "$monitor" 2>/dev/null || xdotool windowkill "$monitor"

menu 0 4
history=$(window "История прибора")
shot "$history" history
keys Escape

menu 0 0
# The labels typed above are no file's yet: the program asks before it drops them. "Нет".
sleep 1
if question=$(xdotool search --onlyvisible --name "^Подтвердите запись в файл\$" 2>/dev/null | tail -n 1) &&
    [ -n "$question" ]; then
    shot "$question" unsaved
    keys Tab Return
fi
configuration=$(window "Задание конфигурации")
shot "$configuration" configuration
keys Escape

# "Справка" → "Руководство оператора": the guide at its beginning.
menu 4 0
guide=$(window "Руководство оператора")
xdotool windowsize "$guide" 820 600
shot "$guide" guide
keys Escape

kill "$lum08_pid" 2>/dev/null || true
echo "guide-pictures: pictures in $out"
