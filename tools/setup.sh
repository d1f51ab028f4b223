#!/usr/bin/env bash
# Installs everything Vorlune needs to build and test on Debian 12, and builds
# the third-party libraries for both Windows targets from Debian's source
# packages. Idempotent: a second run only checks stamps and takes seconds.
#
# Results live outside the work tree, keyed by package version and target:
#   $VORLUNE_CACHE (default ~/.cache/vorlune)/deps/<triplet>/<pkg>-<version>-r<recipe>
# and for each target a CMake file listing those prefixes:
#   $VORLUNE_CACHE/deps/<triplet>.cmake
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"
cache=${VORLUNE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vorlune}
jobs=$(nproc)
targets=(i686-w64-mingw32 x86_64-w64-mingw32)

# Bump a recipe's number when its build steps change, to rebuild it.
# A new dependency starts at 1 and leaves the others' numbers alone: the cache
# is shared by every checkout on the machine.
declare -A recipe=([googletest]=1 [mpg123]=2 [lame]=2 [libjpeg-turbo]=1 [libpng1.6]=1 [taglib]=1)
dep_order=(googletest mpg123 lame libjpeg-turbo libpng1.6 taglib)

log() { printf '[setup] %s\n' "$*" >&2; }
die() { printf '[setup] error: %s\n' "$*" >&2; exit 1; }

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"
    elif command -v sudo >/dev/null; then sudo "$@"
    else die "need root for: $*"; fi
}

packages=(
    cmake ninja-build make pkg-config dpkg-dev xz-utils bzip2 file
    gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
    mingw-w64-tools libz-mingw-w64-dev nasm
    wine wine64 fonts-wine xvfb xauth x11-utils imagemagick
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
    sox lame mpg123 ffmpeg time
    python3 python3-pil python3-mutagen fonts-dejavu-core
)

is_installed() { [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == *'install ok installed'* ]]; }

apt_updated=0
apt_update() {
    [ "$apt_updated" = 1 ] && return
    log "apt-get update"
    as_root apt-get update -qq
    apt_updated=1
}

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do is_installed "$p" || missing+=("$p"); done
    [ ${#missing[@]} -eq 0 ] && return
    log "installing: ${missing[*]}"
    apt_update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The 32-bit Wine runs the tests of the build we ship. It must be the installed
# wine64's version (they share one wineserver and libwine's version), and
# DirectShow needs the 32-bit GStreamer plugins to decode MP3 under it. A
# kernel without 32-bit support gets none of it; tools/test.sh says so.
wine32_packages=(wine32 wine32-preloader gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    libxrender1 libxcursor1 libxi6 libxrandr2 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1)
add_i386() {
    grep -qx i386 <<< "$(dpkg --print-foreign-architectures)" && return
    log "adding the i386 architecture"
    as_root dpkg --add-architecture i386
    apt_updated=0
}
install_wine32() {
    if ! is_installed libc6:i386; then
        apt_update
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends libc6:i386 >/dev/null
    fi
    can_run_32bit || return 0
    local ver; ver=$(dpkg-query -W -f='${Version}' wine64)
    local want=() p
    for p in "${wine32_packages[@]}"; do
        case $p in
            wine32*) [ "$(dpkg-query -W -f='${Status} ${Version}' "$p:i386" 2>/dev/null)" = "install ok installed $ver" ] ||
                         want+=("$p:i386=$ver") ;;
            *) is_installed "$p:i386" || want+=("$p:i386") ;;
        esac
    done
    [ ${#want[@]} -eq 0 ] && return
    log "installing the 32-bit Wine: ${want[*]}"
    apt_update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${want[@]}" >/dev/null
}

# Source entries are derived from the machine's own binary entries, so no
# package host is named here.
enable_sources() {
    local out=/etc/apt/sources.list.d/vorlune-deb-src.sources
    local list=/etc/apt/sources.list.d/vorlune-deb-src.list
    [ -f "$out" ] || [ -f "$list" ] && return
    local tmp; tmp=$(mktemp)
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Enabled:[ \t]*no/ { next }
             /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" >> "$tmp"
    done
    if [ -s "$tmp" ]; then
        as_root install -m 644 "$tmp" "$out"
    fi
    if [ -f /etc/apt/sources.list ]; then
        grep -E '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list | sed -E 's/^[[:space:]]*deb[[:space:]]/deb-src /' > "$tmp" || true
        [ -s "$tmp" ] && as_root install -m 644 "$tmp" "$list"
    fi
    rm -f "$tmp"
    apt_updated=0
    apt_update
}

src_versions() {
    apt-cache showsrc --only-source "$1" 2>/dev/null | awk '/^Version:/ { print $2 }' | sort -rV | uniq
}

# A version as it may appear in file names: without its epoch.
plain() { echo "${1#*:}"; }

# Downloads a source package into the cache and unpacks its upstream tarball.
# apt-get source may exit non-zero for a missing signature file after fetching
# everything else, so the files are checked against the .dsc instead.
fetch_source() {
    local pkg=$1 ver=$2
    local dir; dir=$cache/src/$pkg-$(plain "$ver")
    [ -f "$dir/.unpacked" ] && return 0
    rm -rf "$dir"; mkdir -p "$dir"
    log "fetching source $pkg $ver"
    (cd "$dir" && apt-get source --download-only "$pkg=$ver" >/dev/null 2>&1) || true
    local dsc; dsc=$(ls "$dir"/*.dsc 2>/dev/null | head -n 1)
    if [ -z "$dsc" ]; then
        log "$pkg $ver: no .dsc could be downloaded"
        rm -rf "$dir"; return 1
    fi
    local orig=""
    while read -r sum size name; do
        [ -n "$name" ] || continue
        case "$name" in *.asc) [ -f "$dir/$name" ] || continue ;; esac
        [ -f "$dir/$name" ] || die "$pkg: $name missing"
        echo "$sum  $dir/$name" | sha256sum -c --quiet - || die "$pkg: checksum of $name"
        case "$name" in *.orig.tar.*[!c]) orig=$name ;; esac
    done < <(awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on { print $1, $2, $3 }' "$dsc")
    [ -n "$orig" ] || die "$pkg: no upstream tarball in $dsc"
    mkdir -p "$dir/tree"
    tar -xf "$dir/$orig" -C "$dir/tree" --strip-components=1
    touch "$dir/.unpacked"
}

src_tree() { echo "$cache/src/$1-$(plain "$2")/tree"; }

prefix_of() { echo "$cache/deps/$2/$1-$(plain "$3")-r${recipe[$1]}"; }

built_everywhere() {
    local t
    for t in "${targets[@]}"; do [ -f "$(prefix_of "$1" "$t" "$2")/.built" ] || return 1; done
}

# tools/deps.lock keeps the version of each dependency that was built, so
# every machine builds the same ones while the archive still has them.
lock_file=$here/deps.lock
locked_version() { [ -f "$lock_file" ] && awk -v p="$1" '$1 == p { print $2; exit }' "$lock_file"; }
write_lock() {
    local -n chosen=$1
    local tmp=$lock_file.tmp pkg t opts
    {
        echo "# Source package versions tools/setup.sh builds. It rewrites this file"
        echo "# only when one can no longer be had (and says so) or a dependency is added."
        for pkg in "${dep_order[@]}"; do echo "$pkg ${chosen[$pkg]}"; done
        echo "#"
        echo "# How each is configured for each target (besides its host and prefix), and"
        echo "# the compiler flags an autotools build's own configure settled on:"
        for pkg in "${dep_order[@]}"; do
            for t in "${targets[@]}"; do
                "options_${pkg//[-.]/_}" "$t" opts
                echo "#   $pkg $t: ${opts[*]}"
                local chose; chose=$(prefix_of "$pkg" "$t" "${chosen[$pkg]}")/.cflags
                [ -f "$chose" ] && echo "#     compiled with: $(cat "$chose")"
            done
        done
    } > "$tmp"
    if cmp -s "$tmp" "$lock_file"; then rm -f "$tmp"; return; fi
    mv "$tmp" "$lock_file"
    log "wrote $lock_file: commit it"
}

# The locked version when it is built or can be fetched; else the newest
# version that is already built for every target, has its source unpacked,
# or can be fetched now (the archive may list a version whose files are not
# yet there).
choose_version() {
    local pkg=$1 v
    local versions; versions=$(src_versions "$pkg")
    local locked; locked=$(locked_version "$pkg")
    if [ -n "$locked" ]; then
        grep -qxF -- "$locked" <<< "$versions" ||
            log "warning: the archive no longer has $pkg $locked (tools/deps.lock)"
        if built_everywhere "$pkg" "$locked" || fetch_source "$pkg" "$locked"; then echo "$locked"; return; fi
        log "warning: $pkg $locked cannot be had: taking the newest version the archive has"
    fi
    [ -n "$versions" ] || die "no source package $pkg"
    for v in $versions; do
        [ "$v" = "$locked" ] && continue
        if built_everywhere "$pkg" "$v" || fetch_source "$pkg" "$v"; then echo "$v"; return; fi
    done
    die "no version of $pkg could be fetched"
}

# Runs a build step with its output in a log, shown only when the step fails.
quiet() {
    local logf=$cache/build/last-step.log
    mkdir -p "$(dirname "$logf")"
    local rc=0
    # errexit is off inside an if-condition, so the step runs in a subshell of its own.
    set +e
    ( set -e; "$@" ) > "$logf" 2>&1
    rc=$?
    set -e
    if [ "$rc" != 0 ]; then
        tail -n 40 "$logf" >&2
        die "step failed: $*"
    fi
}

toolchain_file() { echo "$here/../cmake/toolchain-$1.cmake"; }

# --- recipes: each takes (source tree, target triplet, install prefix) ---
# What a recipe passes its build system besides the target and the prefix
# comes from options_<pkg> TARGET ARRAY, which fills the named array;
# tools/deps.lock records the same.

# The compiler flags that the configure of an autotools build in $1 settled
# on, kept in the prefix $2 for tools/deps.lock.
keep_cflags() { sed -n 's/^CFLAGS = //p' "$1/Makefile" | tr -s ' ' | sed 's/^ //; s/ $//' > "$2/.cflags"; }

# The i686 build assumes SSE2 (every x86 processor of the last twenty years,
# and Windows 8 and later need it): floating point in SSE registers, not x87.
sse2_flags() { case $1 in i686-*) echo "-msse2 -mfpmath=sse" ;; esac; }

options_googletest() {
    local -n o=$2
    o=(-DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF -DCMAKE_CXX_FLAGS=-w)
}
build_googletest() {
    local src=$1 t=$2 prefix=$3 b=$4 opts
    options_googletest "$t" opts
    cmake -S "$src" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$(toolchain_file "$t")" -DCMAKE_INSTALL_PREFIX="$prefix" "${opts[@]}"
    cmake --build "$b" -j "$jobs"
    cmake --install "$b"
}

# Its authors' optimisation (configure adds -O2 -fomit-frame-pointer
# -funroll-all-loops -finline-functions -ffast-math to CFLAGS) and its
# optimised decoders with the best one for the processor chosen at run time:
# i386, i586, MMX, 3DNow!, SSE and generic ones on i686; x86-64 (SSE), AVX
# and generic ones on x86_64.
options_mpg123() {
    local -n o=$2
    case $1 in i686-*) o=(--with-cpu=x86) ;; *) o=(--with-cpu=x86-64) ;; esac
    o+=("CFLAGS=$(sse2_flags "$1")" --enable-static --disable-shared --disable-modules --with-audio=dummy)
}
build_mpg123() {
    local src=$1 t=$2 prefix=$3 b=$4 opts
    options_mpg123 "$t" opts
    mkdir -p "$b"
    (cd "$b" && "$src/configure" --host="$t" --prefix="$prefix" CC="$t-gcc-posix" "${opts[@]}")
    make -C "$b" -j "$jobs"
    make -C "$b" install
    keep_cflags "$b" "$prefix"
}

# LAME's configure means to pick its own optimisation for GCC, but the
# version test of its generated script never matches (m4 ate the brackets of
# its pattern), so it adds nothing and autoconf's -O2 is left. Its flags for
# GCC 4 and later are given here: -O3 -fomit-frame-pointer -ffast-math, with
# -maccumulate-outgoing-args on x86. On i686 its NASM routines too (FFT and
# quantiser, picked at run time by the processor's features) and SSE2
# floating point.
options_lame() {
    local -n o=$2
    case $1 in
        i686-*) o=("CFLAGS=-O3 -fomit-frame-pointer -ffast-math -maccumulate-outgoing-args $(sse2_flags "$1")"
                   --enable-nasm) ;;
        *) o=("CFLAGS=-O3 -fomit-frame-pointer -ffast-math") ;;
    esac
    o+=(--enable-static --disable-shared --disable-frontend --disable-decoder
        --disable-gtktest --disable-analyzer-hooks)
}
build_lame() {
    local src=$1 t=$2 prefix=$3 b=$4 opts
    options_lame "$t" opts
    mkdir -p "$b"
    (cd "$b" && "$src/configure" --host="$t" --prefix="$prefix" CC="$t-gcc-posix" "${opts[@]}")
    make -C "$b/mpglib" -j "$jobs" || true
    make -C "$b/libmp3lame" -j "$jobs"
    make -C "$b/libmp3lame" install
    make -C "$b/include" install
    keep_cflags "$b/libmp3lame" "$prefix"
    # The BladeEnc-style DLL over the static encoder, with the exports of its .def.
    # Its sources name Windows headers in mixed case.
    mkdir -p "$prefix/bin" "$b/shim"
    echo '#include <windef.h>' > "$b/shim/Windef.h"
    echo '#include <windows.h>' > "$b/shim/Windows.h"
    # shellcheck disable=SC2046
    "$t-gcc-posix" -O2 $(sse2_flags "$t") -shared -static-libgcc -o "$prefix/bin/lame_enc.dll" \
        -I"$b/shim" -I"$src/include" -I"$src/libmp3lame" -I"$b" -DHAVE_CONFIG_H -w \
        "$src/Dll/BladeMP3EncDLL.c" "$src/Dll/BladeMP3EncDLL.def" \
        "$prefix/lib/libmp3lame.a" -Wl,--enable-stdcall-fixup -Wl,--kill-at
}

options_libjpeg_turbo() {
    local -n o=$2
    o=(-DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF
        -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_TURBOJPEG=OFF -DWITH_CRT_DLL=OFF)
}
build_libjpeg_turbo() {
    local src=$1 t=$2 prefix=$3 b=$4 opts
    options_libjpeg_turbo "$t" opts
    cmake -S "$src" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$(toolchain_file "$t")" -DCMAKE_INSTALL_PREFIX="$prefix" \
        "${opts[@]}" -DCMAKE_ASM_NASM_COMPILER=nasm
    cmake --build "$b" -j "$jobs" --target jpeg-static
    mkdir -p "$prefix/lib" "$prefix/include"
    cp "$b/libjpeg.a" "$prefix/lib/"
    cp "$b/jconfig.h" "$src/jerror.h" "$src/jmorecfg.h" "$src/jpeglib.h" "$prefix/include/"
}

options_libpng1_6() {
    local -n o=$2
    o=(-DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
        -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON
        "-DZLIB_LIBRARY=/usr/$1/lib/libz.a" "-DZLIB_INCLUDE_DIR=/usr/$1/include")
}
build_libpng1_6() {
    local src=$1 t=$2 prefix=$3 b=$4 opts
    options_libpng1_6 "$t" opts
    cmake -S "$src" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$(toolchain_file "$t")" -DCMAKE_INSTALL_PREFIX="$prefix" "${opts[@]}"
    cmake --build "$b" -j "$jobs"
    cmake --install "$b"
}

# The tag library, static, without its bindings, examples and tests. It uses
# the same zlib as libpng (for compressed ID3v2 frames). Debian's security fix
# is applied to a copy of the tree; its other patches are about Debian's own
# packaging (system utfcpp, an arch-independent taglib-config).
options_taglib() {
    local -n o=$2
    o=(-DBUILD_SHARED_LIBS=OFF -DBUILD_BINDINGS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF
        -DWITH_ZLIB=ON "-DZLIB_LIBRARY=/usr/$1/lib/libz.a" "-DZLIB_INCLUDE_DIR=/usr/$1/include")
}
build_taglib() {
    local src=$1 t=$2 prefix=$3 b=$4 opts
    options_taglib "$t" opts
    local debian; debian=$(ls "$src"/../*.debian.tar.* | head -n 1)
    mkdir -p "$b/src"
    cp -a "$src/." "$b/src/"
    tar -xf "$debian" -C "$b/src" debian/patches
    patch -d "$b/src" -p1 --forward < "$b/src/debian/patches/CVE-2023-47466.patch"
    cmake -S "$b/src" -B "$b/out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$(toolchain_file "$t")" -DCMAKE_INSTALL_PREFIX="$prefix" "${opts[@]}"
    cmake --build "$b/out" -j "$jobs" --target tag
    cmake --install "$b/out"
}

build_deps() {
    declare -A vers
    for pkg in "${dep_order[@]}"; do vers[$pkg]=$(choose_version "$pkg"); done
    for t in "${targets[@]}"; do
        local listing=$cache/deps/$t.cmake prefixes=()
        for pkg in "${dep_order[@]}"; do
            local ver=${vers[$pkg]}
            local prefix; prefix=$(prefix_of "$pkg" "$t" "$ver")
            prefixes+=("$prefix")
            [ -f "$prefix/.built" ] && continue
            fetch_source "$pkg" "$ver" || die "cannot fetch $pkg $ver"
            local b=$cache/build/$t/${prefix##*/}
            rm -rf "$prefix" "$b"
            log "building $pkg $ver for $t"
            quiet "build_${pkg//[-.]/_}" "$(src_tree "$pkg" "$ver")" "$t" "$prefix" "$b"
            touch "$prefix/.built"
            rm -rf "$b"
        done
        {
            echo "# written by tools/setup.sh"
            printf 'set(VORLUNE_DEP_PREFIXES\n'
            printf '    "%s"\n' "${prefixes[@]}"
            printf ')\n'
        } > "$listing.tmp"
        # Unchanged, it keeps its time, so the builds need not configure again.
        if cmp -s "$listing.tmp" "$listing"; then rm -f "$listing.tmp"; else mv "$listing.tmp" "$listing"; fi
    done
    write_lock vers
}

main() {
    add_i386
    install_packages
    install_wine32
    enable_sources
    build_deps
    log "dependencies ready in $cache/deps"
}

# Sourced (tools/package.sh fetches a lost source tree), it only defines.
[ "${BASH_SOURCE[0]}" != "$0" ] || main "$@"
