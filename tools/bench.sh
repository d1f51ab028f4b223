#!/usr/bin/env bash
# Runs benchmarks: builds the 64-bit benchmark programs, makes their inputs
# outside the source tree, runs each program under Wine beside the native
# tools it is compared with, and prints the figures and their ratios.
#
#   tools/bench.sh [NAME...]
#
# NAME is a benchmark with a bench_NAME function below (default: all of
# them), or any bench/NAME.cpp, which is then simply run. Settings:
# VORLUNE_BENCH_RUNS (best of how many runs, default 5) and
# VORLUNE_BENCH_INPUTS (where inputs are made, default build/bench-inputs).
#
# To add a benchmark: write bench/NAME.cpp (it prints "seconds=S" last) and a
# bench_NAME function that makes its inputs, calls run_program and
# time_native, and reports with compare.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

triplet=x86_64-w64-mingw32
inputs=${VORLUNE_BENCH_INPUTS:-$build_root/bench-inputs}
runs=${VORLUNE_BENCH_RUNS:-5}
results=()

# --- helpers ---

# A Unix path as Wine sees it.
winpath() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }

# run_program NAME ARGS...: runs bench_NAME.exe under Wine, shows its output
# and leaves its "seconds=" figure in $program_seconds.
run_program() {
    local name=$1; shift
    local out
    out=$("$build_root/$triplet/wine-run.sh" "$build_root/$triplet/bench/bench_$name.exe" "$@" | tr -d '\r')
    printf '%s\n' "$out" | grep -v '^seconds=' | sed 's/^/  /'
    program_seconds=$(printf '%s\n' "$out" | sed -n 's/^seconds=//p' | tail -n 1)
    [ -n "$program_seconds" ] || { say "bench_$name printed no time"; return 1; }
}

# time_native COMMAND...: the best wall time of $runs runs, in $native_seconds.
time_native() {
    local best="" i t0 t1 t
    for i in $(seq 1 "$runs"); do
        t0=$(date +%s%N)
        "$@" >/dev/null
        t1=$(date +%s%N)
        t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')
        if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
    done
    native_seconds=$best
}

# compare LABEL OURS NATIVE-NAME NATIVE: prints and keeps one result line.
compare() {
    local line
    line=$(awk -v l="$1" -v o="$2" -v n="$3" -v t="$4" \
        'BEGIN { printf "%-12s vorlune %8.3f s   %-8s %8.3f s   ratio %.2f", l, o, n, t, o / t }')
    echo "  $line"
    results+=("$line")
}

need_display() { [ -n "$xvfb_pid" ] || ensure_display; }

# --- inputs ---

# A 4-minute 44.1 kHz stereo song at 192 kbit/s CBR: tones over pink noise,
# so the encoder has real work.
song_mp3() {
    local mp3=$inputs/song-4min-192k.mp3
    if [ ! -s "$mp3" ]; then
        say "making $mp3"
        mkdir -p "$inputs"
        sox -q -n -r 44100 -c 2 -b 16 "$inputs/song-4min.wav" \
            synth 240 sine 200-2000 sine 500-700 synth 240 pinknoise mix gain -6
        lame --quiet --noreplaygain -b 192 "$inputs/song-4min.wav" "$mp3.part"
        mv "$mp3.part" "$mp3"
        rm -f "$inputs/song-4min.wav"
    fi
    echo "$mp3"
}

# 30 seconds of that song (from 1:00), decoded to 16-bit WAV.
clip30_wav() {
    local wav=$inputs/song-30s.wav mp3
    mp3=$(song_mp3)
    if [ ! -s "$wav" ]; then
        say "making $wav"
        mpg123 -q -w "$inputs/song-decoded.wav" "$mp3"
        sox -q "$inputs/song-decoded.wav" "$wav.part.wav" trim 60 30
        mv "$wav.part.wav" "$wav"
        rm -f "$inputs/song-decoded.wav"
    fi
    echo "$wav"
}

# --- benchmarks ---

# The 4-minute song decoded to WAV, beside the mpg123 tool writing a WAV file.
bench_mp3_decode() {
    local mp3; mp3=$(song_mp3)
    echo "mp3_decode: $(basename "$mp3"), best of $runs"
    run_program mp3_decode "$(winpath "$mp3")" "$runs"
    time_native mpg123 -q -w "$inputs/out-mpg123.wav" "$mp3"
    rm -f "$inputs/out-mpg123.wav"
    compare mp3_decode "$program_seconds" mpg123 "$native_seconds"
}

# 30 seconds encoded with the ringtone's settings, beside the lame tool with
# the same ones (VBR quality 4 within 128-192 kbit/s, quality 2, no bit
# reservoir, joint stereo, no ReplayGain analysis).
bench_mp3_encode() {
    local wav; wav=$(clip30_wav)
    echo "mp3_encode: $(basename "$wav"), best of $runs"
    run_program mp3_encode "$(winpath "$wav")" "$runs"
    time_native lame --quiet --noreplaygain -V 4 -b 128 -B 192 -q 2 --nores -m j "$wav" "$inputs/out-lame.mp3"
    rm -f "$inputs/out-lame.mp3"
    compare mp3_encode "$program_seconds" lame "$native_seconds"
}

# A 60-minute song like the 4-minute one (tones only, which encode faster).
song60_mp3() {
    local mp3=$inputs/song-60min-192k.mp3
    if [ ! -s "$mp3" ]; then
        say "making $mp3"
        mkdir -p "$inputs"
        sox -q -n -r 44100 -c 2 -b 16 "$inputs/song-60min.wav" synth 3600 sine 200-2000 sine 500-700 gain -6
        lame --quiet --noreplaygain -b 192 "$inputs/song-60min.wav" "$mp3.part"
        mv "$mp3.part" "$mp3"
        rm -f "$inputs/song-60min.wav"
    fi
    echo "$mp3"
}

# median NUMBER...: their median.
median() {
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# peak_temp_bytes DIR...: while the file $sampling exists, samples the bytes
# of "~Ve" files in the folders every few milliseconds; prints the peak.
peak_temp_bytes() {
    local peak=0 now
    while [ -e "$sampling" ]; do
        now=$(find "$@" -maxdepth 1 -type f -name '~Ve*' -printf '%s\n' 2>/dev/null | awk '{ s += $1 } END { print s + 0 }')
        [ "$now" -gt "$peak" ] && peak=$now
        sleep 0.003
    done
    echo "$peak"
}

# render_song LABEL MP3 START SECONDS: a ringtone of SECONDS from START with
# both fades by vorlune-render and by ffmpeg (input seek, libmp3lame VBR
# quality 4), run in turns; median wall times of whole processes, then one
# more run of each for peak memory and peak temporary disk.
render_song() {
    local label=$1 mp3=$2 start=$3 length=$4 exe=$build_root/$triplet/cli/vorlune-render.exe
    local end out=$inputs/ring-vorlune.mp3 fade
    end=$(awk -v s="$start" -v l="$length" 'BEGIN { print s + l }')
    fade=$(awk -v l="$length" 'BEGIN { print l - 1.5 }')
    echo "$label: $(basename "$mp3"), $start..$end s with both fades, median of $runs"
    local cmd=("$build_root/$triplet/wine-run.sh" "$exe" "$(winpath "$mp3")" "$(winpath "$inputs")\\ring-vorlune.mp3"
        --start "$start" --end "$end" --fade-in --fade-out --verbose)
    local ff=(ffmpeg -nostdin -loglevel error -y -ss "$start" -t "$length" -i "$mp3"
        -af "afade=t=in:d=1.5,afade=t=out:st=$fade:d=1.5" -c:a libmp3lame -q:a 4 "$inputs/ring-ffmpeg.mp3")
    # Turn about, so a busy spell on the machine falls on both alike.
    local ours=() theirs=() i t0 t1
    for i in $(seq 1 "$runs"); do
        t0=$(date +%s%N); last_output=$("${cmd[@]}" 2>/dev/null | tr -d '\r'); t1=$(date +%s%N)
        ours+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')")
        t0=$(date +%s%N); "${ff[@]}"; t1=$(date +%s%N)
        theirs+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')")
    done
    printf '%s\n' "$last_output" | grep -E '^(Time|Stages|Memory|Size)' | sed 's/^/  /'
    echo "  Runs: vorlune $(printf '%s\n' "${ours[@]}" | sort -n | paste -sd ' ') s"
    echo "        ffmpeg  $(printf '%s\n' "${theirs[@]}" | sort -n | paste -sd ' ') s"

    # Peak temporary disk: the render's "~Ve" files in Wine's temporary
    # folder and beside the output.
    local temp
    temp=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d -name Temp -print -quit)
    sampling=$(mktemp)
    peak_temp_bytes "$temp" "$inputs" > "$sampling.peak" &
    local sampler=$!
    "${cmd[@]}" >/dev/null 2>&1 || true
    rm -f "$sampling"
    wait "$sampler"
    echo "  Temp disk: peak $(awk '{ printf "%.2f MB", $1 / 1048576 }' "$sampling.peak") (sampled)"
    rm -f "$sampling.peak" "$out"

    /usr/bin/time -f '%M' -o "$inputs/ffmpeg-rss" "${ff[@]}"
    echo "  ffmpeg: peak resident $(awk '{ printf "%.2f MB", $1 / 1024 }' "$inputs/ffmpeg-rss"), no temporary files"
    rm -f "$inputs/ring-ffmpeg.mp3" "$inputs/ffmpeg-rss"
    compare "$label" "$(median "${ours[@]}")" ffmpeg "$(median "${theirs[@]}")"
}

bench_render() {
    configure_and_build "$triplet" vorlune-render >/dev/null
    render_song render-4min "$(song_mp3)" 60 30
    # 36 seconds at 40 % of the hour.
    render_song render-60min "$(song60_mp3)" 1440 36
}

# Next on step 1 to step 2 painted with the song loaded, in the program's own
# frame on the virtual display, for the 4-minute and the 60-minute song.
bench_step2_load() {
    configure_and_build "$triplet" vorlune bench_step2_load >/dev/null
    local mp3
    for mp3 in "$(song_mp3)" "$(song60_mp3)"; do
        echo "step2_load: $(basename "$mp3"), $runs runs"
        run_program step2_load "$(winpath "$mp3")" "$runs"
    done
}

# --- main ---

known=()
for f in $(declare -F | awk '{ print $3 }' | grep '^bench_'); do known+=("${f#bench_}"); done
names=("$@")
[ ${#names[@]} -gt 0 ] || names=("${known[@]}")

bash "$root/tools/setup.sh"
targets=()
for n in "${names[@]}"; do [ -f "$root/bench/$n.cpp" ] && targets+=("bench_$n"); done
[ ${#targets[@]} -gt 0 ] && configure_and_build "$triplet" "${targets[@]}"

trap 'stop_wine; stop_display' EXIT
# A benchmark that makes windows needs the display before Wine starts: the
# desktop that Wine's server keeps is made without one otherwise.
for n in "${names[@]}"; do
    if ! declare -F "bench_$n" >/dev/null || [ "$n" = step2_load ]; then need_display; fi
done
start_wine
for n in "${names[@]}"; do
    if declare -F "bench_$n" >/dev/null; then
        "bench_$n"
    else
        # A benchmark without inputs or a native rival: just run it.
        echo "$n:"
        "$build_root/$triplet/wine-run.sh" "$build_root/$triplet/bench/bench_$n.exe" | tr -d '\r' | sed 's/^/  /'
    fi
done

if [ ${#results[@]} -gt 0 ]; then
    echo
    echo "Summary (ratio = vorlune / native tool; below 1 is faster):"
    printf '  %s\n' "${results[@]}"
fi
