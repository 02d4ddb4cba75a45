#!/usr/bin/env bash
# The bad-input corpus (cases.tsv, the cases marked wine) walked under Wine: arrange.py builds each case in the
# prefix, the robot walks the wizard, check_install.py judges the outcome written beside the case.
# Prints PASS:/FAIL: lines; exits non-zero on any failure. Usage: wine_corpus.sh [setup.exe]
source "$(dirname "$0")/../../tools/lib.sh"
set +e
export E2E_OUT_SUFFIX=-corpus E2E_EXTRA_NAMES="$(printf 'N%.0s' $(seq 198)) $(printf 'N%.0s' $(seq 199))"
source "$ROOT/tests/e2e/walks.sh"
CORPUS="$ROOT/tests/corpus"
OEM="$DRIVE/windows/inf/oem4"
set_wine_version "$WINEPREFIX" winxp
# One Wine session for all the walks: each new robot then finds the server and the services up, instead of
# starting while the previous walk's session is still ending.
hold_server "$WINEPREFIX"
t0=$(date +%s)
while IFS=$'\t' read -r name where outcome input; do
    case "$name" in ''|'#'*) continue ;; esac
    [ "$where" = wine ] || continue
    reset_case
    rm -f "$OEM.inf" "$OEM.pnf"
    expect="$outcome" before=""
    case "$outcome" in
        installed|oem-*) expect=success ;;
        other-name) expect=failure ;;
        untouched) working_installation "$name"; before="$OUT/$name.before" ;;
    esac
    [ "$outcome" = oem-removed ] || [ "$outcome" = oem-kept ] && echo pnf >"$OEM.pnf"
    printer="$(/usr/bin/python3 "$CORPUS/arrange.py" "$name" "$DRIVE" "$SETUP_DIR")" ||
        { echo "FAIL: corpus-$name/arranged"; failed=1; continue; }
    E2E_DRIVER_BEFORE="$before" walk "corpus-$name" winxp 7 zh_CN.UTF-8 0x0804 chinese "$expect" "$printer"
    if [ "${outcome#oem-}" != "$outcome" ]; then
        present=removed; [ -e "$OEM.inf" ] && present=kept
        if [ "oem-$present" = "$outcome" ]; then echo "PASS: corpus-$name/$outcome"
        else echo "FAIL: corpus-$name/$outcome (the INF was $present)"; failed=1; fi
    fi
    chmod -R u+w "$DRIVE/TEMP" 2>/dev/null
done <"$CORPUS/cases.tsv"
rm -f "$OEM.inf" "$OEM.pnf"
reset_case
stop_prefix "$WINEPREFIX"
echo "corpus walks took $(( $(date +%s) - t0 )) s" >&2
exit "$failed"
