#!/bin/bash
# Builds the parsers of untrusted bytes natively with clang (libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) and fuzzes each for SECONDS
# (default 20), or only the targets named after it. Every kept regression
# input runs once first. The committed corpus is fuzzed from a scratch copy,
# so it does not grow. Prints each target's executions, coverage and
# findings; fails on any finding.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. scripts/fuzz.sh 1800 jet_reader
#
# STOWLARK_FUZZ_BUILD_DIR: the native build (default build-fuzz).
# STOWLARK_FUZZ_KEEP=1 keeps each run's grown corpus under the build's runs/.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
shift $(($# > 0 ? 1 : 0))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(jet_reader encoded_words message_date header_fields mailbox_records)
fi
build="${STOWLARK_FUZZ_BUILD_DIR:-build-fuzz}"
fuzz=tests/fuzz

compiler="$(command -v clang++ || command -v clang++-14 || true)"
if [ -z "$compiler" ]; then
    echo "fuzz.sh: clang++ is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
fi
cmake -S "$fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" >/dev/null || exit 1
nice cmake --build "$build" || exit 1

# Seeds kept elsewhere, named by path rather than copied: the reader's own
# Jet fixtures, and the Access-written ones (Jet 3 among them) where the
# shared folder lies beside the clone.
extra_seeds() {
    case "$1" in
    jet_reader) ls tests/db/jet/fixtures/*.mdb ../shared/jet/fixtures/*.mdb 2>/dev/null ;;
    esac
}

# Inputs may be as long as the longest of those files.
target_options() {
    case "$1" in
    jet_reader) echo -max_len=4194304 ;;
    esac
}

runs="$build/runs"
mkdir -p "$runs"
status=0
summary=()
for target in "${targets[@]}"; do
    program="$build/fuzz_$target"
    if [ ! -x "$program" ]; then
        echo "fuzz.sh: no target $target" >&2
        status=1
        continue
    fi
    work="$(mktemp -d "$runs/$target.XXXXXX")"
    mkdir -p "$work/corpus" "$work/findings"
    cp "$fuzz/corpus/$target/"* "$work/corpus/" 2>/dev/null
    for seed in $(extra_seeds "$target"); do
        cp "$seed" "$work/corpus/"
    done

    # Each input that once found a fault, as a plain run.
    regressions=("$fuzz/regressions/$target/"*)
    regression_result="none"
    if [ -e "${regressions[0]}" ]; then
        if "$program" -rss_limit_mb=2048 "${regressions[@]}" >"$work/regressions.log" 2>&1; then
            regression_result="${#regressions[@]} pass"
        else
            regression_result="FAILED (see $work/regressions.log)"
            status=1
        fi
    fi

    nice "$program" "$work/corpus" $(target_options "$target") -max_total_time="$seconds" \
        -print_final_stats=1 -rss_limit_mb=2048 -timeout=25 -artifact_prefix="$work/findings/" \
        >"$work/fuzz.log" 2>&1
    fuzz_status=$?
    executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -1)"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/fuzz.log" | tail -1)"
    stats="$(grep -E '(INITED|NEW|REDUCE|pulse|DONE) +cov:' "$work/fuzz.log" | tail -1)"
    cov="$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$stats")"
    ft="$(sed -n 's/.*ft: \([0-9]*\).*/\1/p' <<<"$stats")"
    corpus="$(sed -n 's/.*corp: \([^ ]*\).*/\1/p' <<<"$stats")"
    findings="$(find "$work/findings" -type f | wc -l)"
    if [ "$fuzz_status" -ne 0 ] || [ "$findings" -ne 0 ]; then
        status=1
        findings="$findings: $(find "$work/findings" -type f | tr '\n' ' ')(log $work/fuzz.log)"
    elif [ "${STOWLARK_FUZZ_KEEP:-0}" != 1 ]; then
        rm -rf "$work"
    fi
    summary+=("$(printf '%-16s %4ss  executions %-10s exec/s %-7s cov %-6s ft %-7s corpus %-12s regressions %s  findings %s' \
        "$target" "$seconds" "${executions:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" \
        "${corpus:-?}" "$regression_result" "$findings")")
    echo "${summary[-1]}"
done

echo "fuzz.sh: ${#targets[@]} targets, $([ $status -eq 0 ] && echo "no findings" || echo "FINDINGS")"
exit $status
