#!/usr/bin/env bash
# Sets everything up, builds both targets and runs the whole test suite under
# Wine. Extra arguments go to ctest (for example -R ProgressRange).
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$root/tools/setup.sh"
export VORLUNE_CMAKE_ARGS="-DVORLUNE_WERROR=ON"
configure_and_build i686-w64-mingw32
configure_and_build x86_64-w64-mingw32

trap 'stop_wine; stop_display' EXIT
ensure_display
start_wine
"$root/tests/fixtures/make-fixtures.sh" "$build_root/fixtures"
export VORLUNE_FIXTURES=$build_root/fixtures
# A test process that Wine fails to start (seen once: no output, 10 ms) gets
# one more try; a test that fails on its own fails both times.
ctest --test-dir "$build_root/x86_64-w64-mingw32" --output-on-failure -j "$(nproc)" --repeat until-pass:2 "$@"
