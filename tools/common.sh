# Shared by the start, test and bench scripts. Source it; do not run it.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${VORLUNE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vorlune}
build_root=${VORLUNE_BUILD:-$root/build}
wine64=/usr/lib/wine/wine64

# Whether this kernel runs 32-bit programs (some are built without it): the
# 32-bit loader answers. A caller may define its own, to try the other path.
declare -F can_run_32bit >/dev/null ||
can_run_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

say() { printf '[vorlune] %s\n' "$*" >&2; }

# configure_and_build <triplet> [targets...]
configure_and_build() {
    local t=$1; shift
    local dir=$build_root/$t
    if [ ! -f "$dir/build.ninja" ] || [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$t.cmake" \
            -DVORLUNE_DEPS_FILE="$cache/deps/$t.cmake" ${VORLUNE_CMAKE_ARGS:-} >/dev/null
    fi
    say "building $t"
    if [ $# -gt 0 ]; then
        cmake --build "$dir" --target "$@"
    else
        cmake --build "$dir"
    fi
}

# Starts a virtual display when there is none; stop_display undoes it.
xvfb_pid=""
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
    start_display
}
# Starts a virtual display of our own, whatever DISPLAY says.
start_display() {
    local n
    for n in $(seq 90 130); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 1 50); do
            xdpyinfo >/dev/null 2>&1 && { say "virtual display $DISPLAY"; return; }
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
    done
    say "could not start a virtual display"
    return 1
}
stop_display() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
}

# The Wine of each build: wine64 for the 64-bit one, the 32-bit Wine in a
# win32 prefix for the one we ship.
wine_of() { case $1 in i686-*) echo /usr/lib/wine/wine ;; *) echo "$wine64" ;; esac; }

# Makes the build's Wine prefix on first use and keeps one wineserver alive
# for the whole run, so each program starts quickly. The argument is the
# build's triplet (default: the 64-bit one).
wine_env() {
    local t=${1:-x86_64-w64-mingw32}
    export WINEPREFIX=$build_root/$t/wineprefix
    case $t in i686-*) export WINEARCH=win32 ;; *) export WINEARCH=win64 ;; esac
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export ALSA_CONFIG_PATH=$root/tools/alsa-null.conf
}
start_wine() {
    local t=${1:-x86_64-w64-mingw32}
    local wine; wine=$(wine_of "$t")
    wine_env "$t"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the Wine prefix of $t (once)"
        "$wine" wineboot --init >/dev/null 2>&1 || true
        # Wine draws the window frames itself: virtual displays have no window manager.
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        # Let the new prefix's services finish and its server end, so the
        # first tests meet a settled prefix, not one still starting up.
        wineserver -w >/dev/null 2>&1 || true
    fi
    wineserver -p >/dev/null 2>&1 || true
    # A program that crashes must fail at once with Wine's one-line report:
    # Wine's own crash debugger hangs here until ctest's time-out, so the
    # debugger it starts is one that just ends.
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d 'cmd /c exit' /f \
        >/dev/null 2>&1 || true
}
stop_wine() {
    wine_env "${1:-x86_64-w64-mingw32}"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    # Now and then Wine's own services outlive their server: end any Wine
    # process still running in this prefix.
    local p
    for p in /proc/[0-9]*; do
        case $(readlink "$p/exe" 2>/dev/null) in /usr/lib/wine/*) ;; *) continue ;; esac
        grep -qxzF "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null && kill -9 "${p#/proc/}" 2>/dev/null
    done
    return 0
}
