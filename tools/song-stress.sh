#!/usr/bin/env bash
# Drives the real 64-bit program through Open, step 2, Play, Stop and Save for
# COUNT damaged copies of a tagged song (bench/song_stress.cpp), on a virtual
# display of its own, and prints what it counted: songs refused, saved or
# failed, crashes, hangs and saves that left "~Ve" files. Not part of the
# suite; it takes a few seconds a song.
#
#   tools/song-stress.sh [COUNT] [SEED] [KIND]
#
# KIND (0-5) gives every song the same kind of damage.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

t=x86_64-w64-mingw32
count=${1:-300}
seed=${2:-25}
kind=${3:-}
bash "$root/tools/setup.sh"
configure_and_build "$t" vorlune bench_song_stress >/dev/null
"$root/tests/fixtures/make-fixtures.sh" "$build_root/fixtures"
work=$build_root/song-stress
rm -rf "$work"
mkdir -p "$work"

winpath() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }
trap 'stop_wine "$t"; stop_display' EXIT
start_display
start_wine "$t"
"$build_root/$t/wine-run.sh" "$build_root/$t/bench/bench_song_stress.exe" \
    "$(winpath "$build_root/fixtures/mp3/render-stereo.mp3")" "$count" "$(winpath "$work")" "$seed" ${kind:+"$kind"} | stdbuf -oL tr -d '\r'
