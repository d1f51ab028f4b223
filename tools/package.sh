#!/usr/bin/env bash
# Makes the zip a Windows user downloads: sets everything up, builds the
# 32-bit release and writes build/dist/vorlune-<version>-win32.zip with the
# two programs, lame_enc.dll, a read-me and the libraries' licences, then
# checks it.
#
#   tools/package.sh                       set up, build, package, check
#   tools/package.sh --from DIR --out ZIP  package an existing build, check
#   tools/package.sh --check ZIP           check a package
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

py=/usr/bin/python3
[ -x "$py" ] || py=python3

# Every file of the zip carries the time of the last commit, and the stripped
# programs carry it in their headers, so the same sources give the same zip.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}

version() { sed -nE 's/^project\(Vorlune VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt"; }

# What the zip holds, in its order.
programs=(vorlune.exe lame_enc.dll vorlune-render.exe)
licences=(LAME-COPYING.txt mpg123-COPYING.txt TagLib-COPYING.LGPL.txt TagLib-COPYING.MPL.txt
    libjpeg-README.ijg.txt libjpeg-turbo-LICENSE.txt libpng-LICENSE.txt zlib-LICENSE.txt)
expected_listing() {
    printf '%s\n' "${programs[@]}" README.txt
    printf 'licences/%s\n' "${licences[@]}"
}

# The DLLs a Windows system has; anything else (a mingw runtime, a library
# that should have been linked in) would be missing on the user's machine.
system_dlls=(advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
    oleacc.dll oleaut32.dll propsys.dll psapi.dll shell32.dll shlwapi.dll user32.dll version.dll winmm.dll)

# The unpacked source tree of a dependency, at the version the set-up built;
# fetched (as the set-up does) when the cache lost it.
source_tree() {
    local pkg=$1 ver
    ver=$(awk -v p="$pkg" '$1 == p { print $2; exit }' "$root/tools/deps.lock")
    [ -n "$ver" ] || { say "$pkg is not in tools/deps.lock"; return 1; }
    local tree=$cache/src/$pkg-${ver#*:}/tree
    if [ ! -f "$tree/../.unpacked" ]; then
        (. "$root/tools/setup.sh" && fetch_source "$pkg" "$ver") >&2
    fi
    echo "$tree"
}

# Copies a text file with Windows line ends.
crlf() { sed 's/\r*$/\r/' "$1" > "$2"; }

# stage DIR TRIPLET: the package's files from the build in DIR, stripped.
stage() {
    local dir=$1 t=$2 out=$3
    rm -rf "$out"; mkdir -p "$out/licences"
    cp "$dir/vorlune.exe" "$dir/lame_enc.dll" "$dir/cli/vorlune-render.exe" "$out/"
    SOURCE_DATE_EPOCH=$epoch "$t-strip" --strip-all "$out/vorlune.exe" "$out/vorlune-render.exe"
    SOURCE_DATE_EPOCH=$epoch "$t-strip" --strip-unneeded "$out/lame_enc.dll"
    sed "s/@VERSION@/$(version)/" "$root/tools/dist/README.txt" > "$out/README.tmp"
    crlf "$out/README.tmp" "$out/README.txt"; rm "$out/README.tmp"

    local lame mpg123 taglib jpeg png l="$out/licences"
    lame=$(source_tree lame); mpg123=$(source_tree mpg123); taglib=$(source_tree taglib)
    jpeg=$(source_tree libjpeg-turbo); png=$(source_tree libpng1.6)
    crlf "$lame/COPYING" "$l/LAME-COPYING.txt"
    crlf "$mpg123/COPYING" "$l/mpg123-COPYING.txt"
    crlf "$taglib/COPYING.LGPL" "$l/TagLib-COPYING.LGPL.txt"
    crlf "$taglib/COPYING.MPL" "$l/TagLib-COPYING.MPL.txt"
    crlf "$jpeg/README.ijg" "$l/libjpeg-README.ijg.txt"
    crlf "$jpeg/LICENSE.md" "$l/libjpeg-turbo-LICENSE.txt"
    crlf "$png/LICENSE" "$l/libpng-LICENSE.txt"
    # zlib is Debian's mingw package, built from the same sources; its
    # licence is the opening comment of its header.
    sed -n '1,/\*\//p' "/usr/$t/include/zlib.h" > "$l/zlib.tmp"
    crlf "$l/zlib.tmp" "$l/zlib-LICENSE.txt"; rm "$l/zlib.tmp"
}

# zip_tree DIR ZIP: the files of DIR in the order of the expected listing.
zip_tree() {
    local dir=$1 zip=$2
    mkdir -p "$(dirname "$zip")"; rm -f "$zip"
    local names; mapfile -t names < <(expected_listing)
    if command -v zip >/dev/null; then
        (cd "$dir" && touch -d "@$epoch" "${names[@]}" && printf '%s\n' "${names[@]}" | TZ=UTC zip -X -D -q -9 "$zip" -@)
    else
        "$py" - "$dir" "$zip" "$epoch" "${names[@]}" <<'EOF'
import os, sys, time, zipfile
src, out, epoch, names = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in names:
        info = zipfile.ZipInfo(name, time.gmtime(epoch)[:6])
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o100644 << 16
        with open(os.path.join(src, name), "rb") as f:
            z.writestr(info, f.read())
EOF
    fi
}

# check ZIP: the listing is exactly the expected one, the read-me has Windows
# line ends, no licence is empty, and the binaries are stripped and need no
# DLL but the system's and lame_enc.dll.
check() {
    local zip=$1 tmp problems=0 t
    tmp=$(mktemp -d)
    "$py" - "$zip" "$tmp" <<'EOF' > "$tmp/listing" || { rm -rf "$tmp"; return 1; }
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    z.extractall(sys.argv[2])
    print("\n".join(z.namelist()))
EOF
    if ! diff <(expected_listing) "$tmp/listing" >&2; then
        say "$zip: the files differ from the expected ones (< expected, > found)"; problems=1
    fi
    local f
    for f in README.txt licences/*; do
        [ -f "$tmp/$f" ] || continue
        if [ ! -s "$tmp/$f" ]; then say "$zip: $f is empty"; problems=1; fi
        if grep -q $'[^\r]$' "$tmp/$f" || grep -qx '' "$tmp/$f"; then say "$zip: $f has lines without CR LF"; problems=1; fi
    done
    for f in "${programs[@]}"; do
        [ -f "$tmp/$f" ] || continue
        local dump=""
        for t in i686-w64-mingw32 x86_64-w64-mingw32; do
            dump=$("$t-objdump" -p -h "$tmp/$f" 2>/dev/null) && break
        done
        [ -n "$dump" ] || { say "$zip: $f is not a Windows program"; problems=1; continue; }
        if grep -q '\.debug_' <<< "$dump"; then say "$zip: $f is not stripped"; problems=1; fi
        # No pipe into grep -q: under pipefail, grep ending at the first
        # match can make the writer fail.
        local dll known; known=$(printf '%s\n' "${system_dlls[@]}")
        while read -r dll; do
            grep -qixF -- "$dll" <<< "$known" && continue
            say "$zip: $f needs $dll, which Windows does not have"; problems=1
        done < <(awk '/DLL Name:/ { print $3 }' <<< "$dump")
    done
    local count; count=$(wc -l < "$tmp/listing")
    rm -rf "$tmp"
    [ "$problems" = 0 ] || return 1
    say "$zip: $count files as expected; the programs need only system DLLs"
}

case "${1:-}" in
    --check)
        [ $# = 2 ] || { say "usage: $0 --check ZIP"; exit 2; }
        check "$2" ;;
    --from)
        [ $# = 4 ] && [ "$3" = --out ] || { say "usage: $0 --from BUILD-DIR --out ZIP"; exit 2; }
        dir=$2 zip=$(realpath -m "$4")
        t=$(sed -nE 's|^CMAKE_STRIP:FILEPATH=.*/([^/]+)-strip$|\1|p' "$dir/CMakeCache.txt" 2>/dev/null)
        [ -n "$t" ] || { say "$dir is not a build folder"; exit 2; }
        staging=$(dirname "$zip")/staging
        stage "$dir" "$t" "$staging"
        zip_tree "$staging" "$zip"
        rm -rf "$staging"
        check "$zip" ;;
    "")
        bash "$root/tools/setup.sh"
        t=i686-w64-mingw32
        configure_and_build "$t" vorlune vorlune-render
        zip=$build_root/dist/vorlune-$(version)-win32.zip
        staging=$build_root/dist/staging
        stage "$build_root/$t" "$t" "$staging"
        zip_tree "$staging" "$zip"
        rm -rf "$staging"
        check "$zip"
        say "package: $zip" ;;
    *)
        sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"; exit 2 ;;
esac
