# How the end-to-end scripts report: one "PASS: <case>" or "FAIL: <case> (<why>)" line per check; a failure
# sets failed, which the script exits with.
failed=0
pass() { echo "PASS: $1"; }
fail() { echo "FAIL: $1${2:+ ($2)}"; failed=1; }
check() {  # check <case> <condition command...>
    local name="$1"; shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}
