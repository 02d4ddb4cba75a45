#!/usr/bin/env bash
# Runs the libFuzzer targets of a fuzz build tree: first every kept regression input of a target
# (tests/fuzz/regressions/<target>/), then the target itself for a while on its corpus. Prints one PASS:/FAIL:
# line per target and part, and libFuzzer's final figures (executions, coverage) per target.
# Usage: fuzz.sh <seconds per target> [corpus directory root] [targets...]
#   Without a corpus root each run starts from the seeds in a directory of its own, which is removed after;
#   with one, <root>/<target> keeps what the runs found (seeded on first use).
# Seeds: our own templates and tables from resources/content/ and the generated store, <build>/fuzz/store/.
# An input that fails is saved as <build>/fuzz/findings/<target>/crash-*; keep it in the target's regressions.
source "$(dirname "$0")/../../tools/lib.sh"
set +e

SECONDS_EACH="${1:?usage: fuzz.sh <seconds per target> [corpus root] [targets...]}"
CORPUS_ROOT="${2:-}"
shift $(( $# >= 2 ? 2 : 1 ))
TREE="$BUILD/fuzz"
STORE="$TREE/store"
CONTENT="$ROOT/resources/content"
HERE="$ROOT/tests/fuzz"
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(name_lines oem_inf profile language_table)
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=0

# seed <target> <directory>: the target's starting inputs.
seed() {
    local t="$1" d="$2" f
    mkdir -p "$d"
    case "$t" in
        name_lines)
            # The file alone (printer name KX47), and behind names up to the buffer's limits.
            for f in $(store_entries "$STORE" '@xp.*\\+names') "$CONTENT"/printer.gpd "$CONTENT"/plugins.ini; do
                cp "$f" "$d/$(basename "$f")"
                { printf 'ABC\0'; cat "$f"; } >"$d/abc-$(basename "$f")"
                { printf '%0236d\0' 0; cat "$f"; } >"$d/long-$(basename "$f")"
            done ;;
        oem_inf)
            cp $(store_entries "$STORE" '^inf$|^common\\.ini@xp') "$CONTENT/printer.inf" "$d/"
            cp "$HERE"/seeds/oem_inf/* "$d/" ;;
        profile)
            # Section, key, other key and value come first (each ended by a backslash and one more character), then the file.
            for f in $(store_entries "$STORE" '^(settings|english-table)$') "$CONTENT"/setting.ini; do
                { printf 'Setting\\|PrinterName\\|Language\\|ABC\\|'; cat "$f"; } >"$d/$(basename "$f")"
                { printf 'String\\|IDD138_1042\\|IDD138_1043\\|Welcome\\|'; cat "$f"; } >"$d/string-$(basename "$f")"
            done ;;
        language_table)
            cp $(store_entries "$STORE" '-table$') "$d/"
            # The English table with a welcome text longer than the 1000-character buffer.
            sed "s/^IDD138_1042=.*\r\$/IDD138_1042=$(printf 'W%.0s' $(seq 1200))\r/" "$(store_entries "$STORE" '^english-table$')" >"$d/long-value.bin" ;;
    esac
}

# The last lines of a run's log: "Done N runs in S second(s)" and "#N DONE cov: C ft: F corp: ...".
figures() {
    local runs done
    runs="$(grep -oE 'Done [0-9]+ runs in [0-9]+ second' "$1" | tail -1 | grep -oE '[0-9]+' | head -1)"
    done="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$1" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[^ ]+')"
    echo "executions ${runs:-?}, ${done:-no final figures}"
}

for t in "${TARGETS[@]}"; do
    bin="$TREE/fuzz_$t"
    if [ ! -x "$bin" ]; then
        echo "FAIL: fuzz-$t (no $bin; build the fuzz tree with tools/build)"
        failed=1
        continue
    fi
    findings="$TREE/findings/$t"
    mkdir -p "$findings"
    log="$TREE/fuzz-$t.log"

    # The kept inputs: each one runs once and must pass.
    regressions=("$HERE/regressions/$t"/*)
    if [ -e "${regressions[0]}" ]; then
        if timeout -k 5 120 "$bin" -runs=1 "${regressions[@]}" >"$log.regressions" 2>&1; then
            echo "PASS: fuzz-$t-regressions (${#regressions[@]} inputs)"
        else
            echo "FAIL: fuzz-$t-regressions (see $log.regressions)"
            tail -n 30 "$log.regressions"
            failed=1
        fi
    fi

    if [ -n "$CORPUS_ROOT" ]; then
        corpus="$CORPUS_ROOT/$t"
        [ -d "$corpus" ] && [ -n "$(ls -A "$corpus")" ] || seed "$t" "$corpus"
    else
        corpus="$(mktemp -d)"
        seed "$t" "$corpus"
    fi
    rc=0
    timeout -k 10 $((SECONDS_EACH + 120)) "$bin" -max_total_time="$SECONDS_EACH" -max_len=16384 -timeout=10 \
        -rss_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || rc=$?
    [ -n "$CORPUS_ROOT" ] || rm -rf "$corpus"
    if [ "$rc" -eq 0 ]; then
        echo "PASS: fuzz-$t ($SECONDS_EACH s: $(figures "$log"))"
    else
        echo "FAIL: fuzz-$t (exit $rc; $(ls -t "$findings" | head -1 | sed "s|^|$findings/|"); see $log)"
        grep -m3 -E 'property violated|ERROR: (Address|libFuzzer|Undefined)|runtime error' "$log"
        failed=1
    fi
done
exit "$failed"
