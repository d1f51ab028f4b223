#!/usr/bin/env bash
# Sets everything up, builds Vorlune and starts it under Wine. Without a
# display it runs on a virtual one, saves a screenshot of the window and
# says where.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$root/tools/setup.sh"
configure_and_build i686-w64-mingw32 vorlune
configure_and_build x86_64-w64-mingw32 vorlune
exe=$build_root/x86_64-w64-mingw32/vorlune.exe

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    trap 'stop_wine' EXIT
    start_wine
    say "starting $exe"
    "$wine64" "$exe"
    exit 0
fi

trap 'stop_wine; stop_display' EXIT
ensure_display
start_wine
"$wine64" "$exe" &
app=$!
shot=$build_root/screenshot.png
win=""
for i in $(seq 1 150); do
    win=$(xwininfo -root -tree 2>/dev/null | awk '/"Vorlune/ { print $1; exit }')
    [ -n "$win" ] && break
    sleep 0.2
done
[ -n "$win" ] || { say "the Vorlune window did not appear"; exit 1; }
sleep 2  # let the first paint finish
import -window "$win" "$shot"
say "no display here: Vorlune ran on a virtual one; its window is in $shot"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
