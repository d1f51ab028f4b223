#!/usr/bin/env bash
# Sets everything up, builds both targets and runs the whole test suite on
# each under Wine: the 64-bit build under wine64, the 32-bit build (the one we
# ship) under the 32-bit Wine. Extra arguments go to ctest (for example
# -R ProgressRange).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$root/tools/setup.sh"
export VORLUNE_CMAKE_ARGS="-DVORLUNE_WERROR=ON"
# VORLUNE_TARGETS picks builds while working (for example x86_64-w64-mingw32);
# the full run, and CI, build and test both.
read -ra builds <<< "${VORLUNE_TARGETS:-x86_64-w64-mingw32 i686-w64-mingw32}"
for t in "${builds[@]}"; do configure_and_build "$t"; done
if ! can_run_32bit && [[ " ${builds[*]} " == *" i686-w64-mingw32 "* ]]; then
    say "this kernel cannot run 32-bit programs: testing the 64-bit build only"
    builds=(${builds[@]/i686-w64-mingw32/})
fi

"$root/tests/fixtures/make-fixtures.sh" "$build_root/fixtures"
export VORLUNE_FIXTURES=$build_root/fixtures

results=$root/tools/test-results.py
testing=""
trap '[ -z "$testing" ] || stop_wine "$testing"; stop_display' EXIT

# A ctest regular expression matching exactly the given test names.
exactly() {
    local names; names=$(printf '%s\n' "$@" | sed 's/[][\\.^$*+?(){}|]/\\&/g' | paste -sd '|')
    echo "^($names)\$"
}

# run_tests TRIPLET CTEST-ARGS...: one build's suite, on a virtual display and
# in a Wine prefix of its own; the results land in the build's
# test-results*.xml. A test whose process Wine failed to start (nothing said
# but Wine's own words) runs again, twice at most; any other failure stands.
run_tests() {
    local t=$1; shift
    local dir=$build_root/$t
    testing=$t
    start_display
    start_wine "$t"
    say "testing $t"
    rm -f "$dir"/test-results*.xml
    local rc=0 suite=(ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --output-junit "$dir/test-results.xml" "$@")
    "${suite[@]}" || rc=$?
    # ctest first has the test program list its tests; when Wine loses that
    # process, ctest runs nothing and writes no results.
    if [ "$rc" != 0 ] && [ ! -f "$dir/test-results.xml" ]; then
        say "ctest ran no test: one more try"
        rc=0
        "${suite[@]}" || rc=$?
    fi
    local last=$dir/test-results.xml try others=0
    for try in 1 2; do
        [ "$rc" != 0 ] && [ -f "$last" ] || break
        local failed unstarted
        failed=$(python3 "$results" counts "$last" | tail -n +2)
        unstarted=$(python3 "$results" unstarted "$last")
        [ -n "$unstarted" ] || break
        [ "$failed" = "$unstarted" ] || others=1
        local names; mapfile -t names <<< "$unstarted"
        say "Wine did not start ${names[*]}: one more try"
        rc=0
        ctest --test-dir "$dir" --output-on-failure --output-junit "$dir/test-results-again$try.xml" \
            -R "$(exactly "${names[@]}")" || rc=$?
        last=$dir/test-results-again$try.xml
    done
    [ "$others" = 0 ] || rc=1
    stop_wine "$t"
    stop_display
    testing=""
    return "$rc"
}

declare -A status seconds
for t in "${builds[@]}"; do
    start=$(date +%s)
    status[$t]=0
    run_tests "$t" "$@" || status[$t]=$?
    seconds[$t]=$(($(date +%s) - start))
done

# One line per build, naming a build that failed, then the closing count.
all_passed=0 all_failed=0 all_skipped=0 rc=0
for t in "${builds[@]}"; do
    case $t in i686-*) label="32-bit build ($t)" ;; *) label="64-bit build ($t)" ;; esac
    dir=$build_root/$t
    files=()
    for f in "$dir/test-results.xml" "$dir/test-results-again1.xml" "$dir/test-results-again2.xml"; do [ -f "$f" ] && files+=("$f"); done
    counts="0 0 0"
    [ ${#files[@]} -eq 0 ] || counts=$(python3 "$results" counts "${files[@]}")
    read -r passed failed skipped <<< "$(head -n 1 <<< "$counts")"
    names=$(tail -n +2 <<< "$counts" | paste -sd ' ')
    if [ "${status[$t]}" = 0 ]; then
        echo "$label: $passed tests passed in ${seconds[$t]} s"
    elif [ "$failed" = 0 ]; then
        # ctest itself failed (no tests found, a test list that could not be read, ...).
        failed=1
        echo "$label: FAILED, ctest ended with status ${status[$t]} after ${seconds[$t]} s"
    else
        echo "$label: FAILED, $failed of $((passed + failed)) tests failed in ${seconds[$t]} s${names:+: $names}"
    fi
    [ "${status[$t]}" = 0 ] || rc=1
    all_passed=$((all_passed + passed)) all_failed=$((all_failed + failed)) all_skipped=$((all_skipped + skipped))
done
echo "tests: $all_passed passed, $all_failed failed$([ "$all_skipped" = 0 ] || echo ", $all_skipped skipped")"
exit "$rc"
