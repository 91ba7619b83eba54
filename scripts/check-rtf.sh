#!/usr/bin/env bash
# Hands a report written by the inputs table to LibreOffice: converts it to PDF, checks that the
# Cyrillic text, the tabs' columns and the escaped characters arrived, and leaves the PDF and a
# PNG of its first page for a person to look at. Not part of the test suite: it installs
# libreoffice-writer and poppler-utils when they are missing.
# Usage: scripts/check-rtf.sh [BUILD_FOLDER] [OUTPUT_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$(mktemp -d)}
mkdir -p "$out"

need=()
command -v soffice >/dev/null || need+=(libreoffice-writer)
if ! command -v pdftotext >/dev/null || ! command -v pdftoppm >/dev/null; then
    need+=(poppler-utils)
fi
if ((${#need[@]})); then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target report_tst_report -j2
rtf="$out/report.rtf"
LUM_KEEP_REPORT="$rtf" QT_QPA_PLATFORM=offscreen \
    "$build/bin/report_tst_report" sixModulesWithEscapedLabel >/dev/null

soffice --headless -env:UserInstallation="file://$out/profile" \
    --convert-to pdf --outdir "$out" "$rtf" >/dev/null
pdftotext -layout "$out/report.pdf" "$out/report.txt"
pdftoppm -png -r 100 -f 1 -l 1 "$out/report.pdf" "$out/page"

fail=0
for text in "Файл " "Дискретные сигналы" "Идентификатор" "Текст.реквизит" "вых на МР" \
    "Дискр.сигн.001" "Дискр.сигн.036" "DI_6_6" "0x23" "{a}\\b №5"; do
    if ! grep -qF -- "$text" "$out/report.txt"; then
        echo "missing in the PDF: $text"
        fail=1
    fi
done
echo "PDF: $out/report.pdf  text: $out/report.txt  first page: $(ls "$out"/page*.png)"
exit $fail
