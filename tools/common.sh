# Shared by the start, test and bench scripts. Source it; do not run it.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${VORLUNE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vorlune}
build_root=${VORLUNE_BUILD:-$root/build}
wine64=/usr/lib/wine/wine64

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

# Makes the build's Wine prefix on first use and keeps one wineserver alive
# for the whole run, so each program starts quickly.
wine_env() {
    export WINEPREFIX=$build_root/x86_64-w64-mingw32/wineprefix
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export ALSA_CONFIG_PATH=$root/tools/alsa-null.conf
}
start_wine() {
    wine_env
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the Wine prefix (once)"
        "$wine64" wineboot --init >/dev/null 2>&1 || true
        # Wine draws the window frames itself: virtual displays have no window manager.
        "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    fi
    wineserver -p >/dev/null 2>&1 || true
    "$wine64" cmd /c exit >/dev/null 2>&1 || true
}
stop_wine() {
    wine_env
    wineserver -k >/dev/null 2>&1 || true
}
