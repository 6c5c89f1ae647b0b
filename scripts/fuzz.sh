#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang 14 into build-fuzz and runs them.
#
#   scripts/fuzz.sh --ci                       each target a fixed number of inputs (11 to
#                                              21 s each) from a fixed seed: a slow or busy
#                                              machine runs the same inputs, not fewer
#   scripts/fuzz.sh --runs N [TARGET...]       N inputs per target (all targets by default)
#   scripts/fuzz.sh --time S [TARGET...]       S seconds per target
#
# Per target it prints "fuzz TARGET: runs N cov C ft F time Ts ok|FAILED" (executions and
# coverage from libFuzzer's final stats) and exits non-zero when any target crashed, broke an
# invariant or got a sanitizer report. Logs and crashing inputs stay in build-fuzz/fuzz-out/.
set -euo pipefail
cd "$(dirname "$0")/.."

ALL_TARGETS=(fuzz_panel_number fuzz_bar_number fuzz_proptree_value fuzz_utf8_cut
             fuzz_scene_text fuzz_dotscene fuzz_mesh fuzz_import fuzz_script)
GUI_TARGETS=" fuzz_script "
# Targets over the engine keep what an input loads (meshes, materials, the toolkit's caches)
# for the next: no leak check after each input there, it would scan the heap every time.
NO_LEAK_CHECK=" fuzz_scene_text fuzz_dotscene fuzz_script "

mode=runs
limit=
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
    --ci) mode=ci; limit=ci ;;
    --runs) mode=runs; limit=${2:?--runs needs a count}; shift ;;
    --time) mode=time; limit=${2:?--time needs seconds}; shift ;;
    -h|--help) sed -n 2,12p "$0"; exit 0 ;;
    fuzz_*) targets+=("$1") ;;
    *) echo "fuzz.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
    shift
done
[ -n "$limit" ] || { mode=runs; limit=10000000; }
[ ${#targets[@]} -gt 0 ] || targets=("${ALL_TARGETS[@]}")

# clang 14 and its fuzzer runtime, like setup.sh installs the rest (only what is missing).
source scripts/packages.sh
install_missing clang-14 libclang-rt-14-dev
# The project's own packages (the engine, the toolkit...) as the other scripts install them.
if ! dpkg-query -W -f='${Status}' libogre-1.12-dev 2>/dev/null | grep -q "install ok installed"; then
    BUILD_DIR=build bash scripts/setup.sh
fi

BUILD_DIR=${BUILD_DIR:-build-fuzz}
# As setup.sh: the compiler cache is shared by every clone of the sources on this machine.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
CC=clang-14 CXX=clang++-14 cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGIZMARK_FUZZ=ON -DGIZMARK_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" --target "${targets[@]}" -j"${JOBS:-$(nproc)}"

out="$BUILD_DIR/fuzz-out"
mkdir -p "$out"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# The TLS interceptor misreads loaded libraries' blocks and can kill the leak checker at exit:
# scripts/sanitizer-options.sh says how.
export ASAN_OPTIONS="intercept_tls_get_addr=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
# Leaks inside system libraries only (scripts/lsan.supp), as in the sanitizer test run.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# Inputs up to 4 KiB; scene XML and model files up to 64 KiB, so that their nesting seeds
# (1,000 and 2,000 levels) are kept whole.
# Inputs per target in --ci: 11 to 21 s each on the project's two-core build machine. fuzz_import
# forks a reader process per input; fuzz_script drives the running editor.
ci_runs() {
    case "$1" in
    fuzz_panel_number) echo 5000000 ;; fuzz_bar_number) echo 1500000 ;;
    fuzz_proptree_value) echo 3000000 ;; fuzz_utf8_cut) echo 1000000 ;;
    fuzz_scene_text) echo 30000 ;; fuzz_dotscene) echo 100000 ;; fuzz_mesh) echo 1200000 ;;
    fuzz_import) echo 1000 ;; fuzz_script) echo 300 ;; *) echo 10000 ;;
    esac
}
max_len() { case "$1" in fuzz_dotscene | fuzz_import) echo 65536 ;; *) echo 4096 ;; esac; }
failed=0
for t in "${targets[@]}"; do
    name=${t#fuzz_}
    work=$(mktemp -d)
    # Work on a copy, so the committed corpus changes only by hand.
    cp -r "fuzz/corpus/$name/." "$work/" 2>/dev/null || true
    args=("$work" -print_final_stats=1 -artifact_prefix="$out/$t-"
          -max_len="$(max_len "$t")" -timeout=60 -rss_limit_mb=4096)
    [ -f "fuzz/corpus/$name.dict" ] && args+=(-dict="fuzz/corpus/$name.dict")
    case "$mode" in
    runs) args+=(-runs="$limit") ;;
    ci) args+=(-runs="$(ci_runs "$t")" -seed=1) ;;
    *) args+=(-max_total_time="$limit") ;;
    esac
    run=("$BUILD_DIR/bin/$t")
    [[ "$GUI_TARGETS" == *" $t "* ]] && run=(scripts/with-display.sh "${run[@]}")
    if [[ "$NO_LEAK_CHECK" == *" $t "* ]]; then
        args+=(-detect_leaks=0)
        run=(env "ASAN_OPTIONS=detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}" "${run[@]}")
    fi
    start=$(date +%s)
    status=0
    "${run[@]}" "${args[@]}" >"$out/$t.log" 2>&1 || status=$?
    seconds=$(( $(date +%s) - start ))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$t.log" | tail -1)
    stats=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$out/$t.log" | tail -1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$stats")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$stats")
    result=ok
    if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|libFuzzer|LeakSanitizer)|runtime error:|fuzz invariant broken' "$out/$t.log"; then
        result=FAILED
        failed=1
    fi
    echo "fuzz $t: runs ${runs:-0} cov ${cov:-?} ft ${ft:-?} time ${seconds}s $result"
    if [ "$result" = FAILED ]; then
        grep -E 'fuzz invariant broken|runtime error:|ERROR:|SUMMARY|Test unit written' "$out/$t.log" | awk 'NR <= 8' | sed 's/^/    /'
    fi
    rm -rf "$work"
done
exit $failed
