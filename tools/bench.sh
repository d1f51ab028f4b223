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
# The build we ship, run under the 32-bit Wine, where this kernel has it.
shipped=i686-w64-mingw32
builds=("$shipped" "$triplet")
if ! can_run_32bit; then
    say "this kernel runs no 32-bit programs: the 64-bit build only"
    builds=("$triplet")
fi
inputs=${VORLUNE_BENCH_INPUTS:-$build_root/bench-inputs}
runs=${VORLUNE_BENCH_RUNS:-5}
results=()

# --- helpers ---

# A Unix path as Wine sees it.
winpath() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }

# The builds by the names the reports give them.
bits() { case $1 in i686-*) echo 32-bit ;; *) echo 64-bit ;; esac; }

# run_program NAME ARGS...: runs bench_NAME.exe of the build $on (default
# the 64-bit one) under its Wine, shows its output and leaves its "seconds="
# figure in $program_seconds.
run_program() {
    local name=$1; shift
    local t=${on:-$triplet} out
    out=$("$build_root/$t/wine-run.sh" "$build_root/$t/bench/bench_$name.exe" "$@" | tr -d '\r')
    [ -n "${quiet_program:-}" ] || printf '%s\n' "$out" | grep -v '^seconds=' | sed 's/^/  /'
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
        'BEGIN { printf "%-25s vorlune %8.3f s   %-8s %8.3f s   ratio %.2f", l, o, n, t, o / t }')
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

# wall SECONDS-VAR COMMAND...: runs the command and appends its wall time to
# the array SECONDS-VAR.
wall() {
    local -n into=$1; shift
    local t0 t1
    t0=$(date +%s%N); "$@"; t1=$(date +%s%N)
    into+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')")
}

# render_song LABEL MP3 START SECONDS: a ringtone of SECONDS from START with
# both fades by vorlune-render of each build and by ffmpeg (input seek,
# libmp3lame VBR quality 4), run in turns; median wall times of whole
# processes, then one more run of the 64-bit build and of ffmpeg for peak
# memory and peak temporary disk.
render_song() {
    local label=$1 mp3=$2 start=$3 length=$4
    local end out=$inputs/ring-vorlune.mp3 fade t
    end=$(awk -v s="$start" -v l="$length" 'BEGIN { print s + l }')
    fade=$(awk -v l="$length" 'BEGIN { print l - 1.5 }')
    echo "$label: $(basename "$mp3"), $start..$end s with both fades, median of $runs (load:$(uptime | sed 's/.*load average://'))"
    # Wine itself, as ffmpeg is timed by itself: the output goes to a file,
    # so the wrapper's following of the log is not needed.
    render() {
        VORLUNE_WINE_DIRECT=1 "$build_root/$1/wine-run.sh" "$build_root/$1/cli/vorlune-render.exe" "$(winpath "$mp3")" \
            "$(winpath "$inputs")\\ring-vorlune.mp3" --start "$start" --end "$end" --fade-in --fade-out --verbose \
            > "$inputs/render-$1.out" 2>/dev/null
    }
    local ff=(ffmpeg -nostdin -loglevel error -y -ss "$start" -t "$length" -i "$mp3"
        -af "afade=t=in:d=1.5,afade=t=out:st=$fade:d=1.5" -c:a libmp3lame -q:a 4 "$inputs/ring-ffmpeg.mp3")
    # Turn about, so a busy spell on the machine falls on all alike.
    local theirs=() i
    declare -A ours=()
    for i in $(seq 1 "$runs"); do
        for t in "${builds[@]}"; do
            local one=()
            wall one render "$t"
            ours[$t]+=" ${one[0]}"
        done
        wall theirs "${ff[@]}"
    done
    for t in "${builds[@]}"; do
        echo "  $(bits "$t") build:"
        tr -d '\r' < "$inputs/render-$t.out" | grep -E '^(Time|Stages|Memory|Size)' | sed 's/^/    /'
        rm -f "$inputs/render-$t.out"
        # shellcheck disable=SC2086
        echo "    Runs: $(printf '%s\n' ${ours[$t]} | sort -n | paste -sd ' ') s"
    done
    echo "  ffmpeg runs: $(printf '%s\n' "${theirs[@]}" | sort -n | paste -sd ' ') s"

    # Peak temporary disk: the render's "~Ve" files in Wine's temporary
    # folder and beside the output.
    local temp
    temp=$(find "$build_root/$triplet/wineprefix/drive_c/users" -maxdepth 4 -type d -name Temp -print -quit)
    sampling=$(mktemp)
    peak_temp_bytes "$temp" "$inputs" > "$sampling.peak" &
    local sampler=$!
    render "$triplet" || true
    rm -f "$sampling" "$inputs/render-$triplet.out"
    wait "$sampler"
    echo "  Temp disk (64-bit): peak $(awk '{ printf "%.2f MB", $1 / 1048576 }' "$sampling.peak") (sampled)"
    rm -f "$sampling.peak" "$out"

    /usr/bin/time -f '%M' -o "$inputs/ffmpeg-rss" "${ff[@]}"
    echo "  ffmpeg: peak resident $(awk '{ printf "%.2f MB", $1 / 1024 }' "$inputs/ffmpeg-rss"), no temporary files"
    rm -f "$inputs/ring-ffmpeg.mp3" "$inputs/ffmpeg-rss"
    for t in "${builds[@]}"; do
        # shellcheck disable=SC2086
        compare "$label $(bits "$t")" "$(median ${ours[$t]})" ffmpeg "$(median "${theirs[@]}")"
    done
}

bench_render() {
    for t in "${builds[@]}"; do configure_and_build "$t" vorlune-render >/dev/null; done
    render_song render-4min "$(song_mp3)" 60 30
    # 36 seconds at 40 % of the hour.
    render_song render-60min "$(song60_mp3)" 1440 36
}

# The encode stage alone: 30 seconds in memory encoded once per process by
# each build's bench_mp3_encode, beside the native lame encoding the same WAV
# with the same settings (whole processes), in turns; medians.
bench_encode_floor() {
    local wav t i; wav=$(clip30_wav)
    for t in "${builds[@]}"; do configure_and_build "$t" bench_mp3_encode >/dev/null; done
    echo "encode_floor: $(basename "$wav"), median of $runs (load:$(uptime | sed 's/.*load average://'))"
    declare -A ours=()
    local theirs=()
    for i in $(seq 1 "$runs"); do
        for t in "${builds[@]}"; do
            on=$t quiet_program=1 run_program mp3_encode "$(winpath "$wav")" 1
            ours[$t]+=" $program_seconds"
        done
        wall theirs lame --quiet --noreplaygain -V 4 -b 128 -B 192 -q 2 --nores -m j "$wav" "$inputs/out-lame.mp3"
    done
    rm -f "$inputs/out-lame.mp3"
    for t in "${builds[@]}"; do
        # shellcheck disable=SC2086
        echo "  $(bits "$t") encode stage: $(printf '%s\n' ${ours[$t]} | sort -n | paste -sd ' ') s"
    done
    echo "  native lame: $(printf '%s\n' "${theirs[@]}" | sort -n | paste -sd ' ') s"
    # The ringtone stays as good as LAME's own: each build's and the lame
    # tool's, both decoded by mpg123, are as long as the WAV and differ by a
    # signal well below the music.
    lame --quiet --noreplaygain -V 4 -b 128 -B 192 -q 2 --nores -m j "$wav" "$inputs/floor-lame.mp3"
    mpg123 -q -w "$inputs/floor-lame.wav" "$inputs/floor-lame.mp3"
    for t in "${builds[@]}"; do
        on=$t quiet_program=1 run_program mp3_encode "$(winpath "$wav")" 1 "$(winpath "$inputs")\\floor-$t.mp3"
        mpg123 -q -w "$inputs/floor-$t.wav" "$inputs/floor-$t.mp3"
        echo "  $(bits "$t") ringtone beside the lame tool's: $(python3 - "$wav" "$inputs/floor-lame.wav" "$inputs/floor-$t.wav" <<'PY'
import array, math, sys, wave
def frames(path):
    with wave.open(path) as w:
        a = array.array("h", w.readframes(w.getnframes()))
        return w.getnframes(), a
n, _ = frames(sys.argv[1])
m, theirs = frames(sys.argv[2])
k, ours = frames(sys.argv[3])
music = sum(x * x for x in theirs)
diff = sum((x - y) ** 2 for x, y in zip(ours, theirs)) or 1
print(f"{k} frames (the WAV {n}, the tool's {m}), the difference {10 * math.log10(music / diff):.1f} dB below the music")
PY
)"
        rm -f "$inputs/floor-$t.mp3" "$inputs/floor-$t.wav"
    done
    rm -f "$inputs/floor-lame.mp3" "$inputs/floor-lame.wav"
    for t in "${builds[@]}"; do
        # shellcheck disable=SC2086
        compare "encode_floor $(bits "$t")" "$(median ${ours[$t]})" lame "$(median "${theirs[@]}")"
    done
}

# The wizard's save in the shipped build: Save dialog OK to "Ringtone saved!"
# for 30 seconds of the 4-minute song with both fades, the real program
# driven by bench_wizard_save.
bench_wizard_save() {
    local t=${builds[0]} mp3; mp3=$(song_mp3)
    configure_and_build "$t" vorlune bench_wizard_save >/dev/null
    echo "wizard_save: $(basename "$mp3"), $(bits "$t") build, $runs runs (load:$(uptime | sed 's/.*load average://'))"
    on=$t run_program wizard_save "$(winpath "$mp3")" "$(winpath "$inputs")" "$runs"
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

trap 'for t in "${builds[@]}"; do stop_wine "$t"; done; stop_display' EXIT
# A benchmark that makes windows needs the display before Wine starts: the
# desktop that Wine's server keeps is made without one otherwise.
for n in "${names[@]}"; do
    case $n in step2_load|wizard_save) need_display ;; *) declare -F "bench_$n" >/dev/null || need_display ;; esac
done
for t in "${builds[@]}"; do start_wine "$t"; done
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
