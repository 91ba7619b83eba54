#!/usr/bin/env bash
# Installs the Debian packages the project needs, where they are missing. The fonts give
# the windows the same metrics on every machine (Arial and the like are metric-compatible
# replacements), which the layout tests rely on. The toolkit's translations put its own dialogs
# into Russian. libmodbus and mbpoll are Modbus masters and slaves for the tests that share no
# code with the program.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev qt6-translations-l10n
          libmodbus-dev mbpoll libgtest-dev libgmock-dev fonts-dejavu-core fonts-urw-base35
          poppler-utils "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
