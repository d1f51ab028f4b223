#!/usr/bin/env bash
# Builds Vorlune and its skin contact sheet, then writes docs/skin-sheet.png:
# every skin picture as the program decodes it from vorlune.exe's resources.
# An optional argument names another output file.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

out=$(realpath -m "${1:-$root/docs/skin-sheet.png}")
mkdir -p "$(dirname "$out")"

bash "$root/tools/setup.sh"
configure_and_build x86_64-w64-mingw32 skin-sheet
dir=$build_root/x86_64-w64-mingw32

trap 'stop_wine' EXIT
start_wine
# Wine sees the Unix file system as drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
"$dir/wine-run.sh" "$dir/cli/skin-sheet.exe" "$(winpath "$dir/vorlune.exe")" "$(winpath "$out")"
say "wrote $out"
