# Sourced by the test scripts: `check "what" command...` runs the command and
# says ok or FAIL; `finish` ends the script failing when any check failed.
failures=0
check() { if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }
finish() { exit $((failures != 0)); }
# `expect "what" STATUS "text" command...`: a check that the command exits with
# STATUS and that its output, stderr too, holds the text. Exit 2 (a refusal)
# comes with one line.
outcome() {
    local status=$1 text=$2 output got; shift 2
    output=$("$@" 2>&1); got=$?
    [ "$got" = "$status" ] && [[ $output == *"$text"* ]] && { [ "$got" != 2 ] || [ "$(wc -l <<<"$output")" = 1 ]; } ||
        { echo "exit $got: $output"; false; }
}
expect() { check "$1" outcome "${@:2}"; }
# patched FILE OFFSET BYTES COPY: COPY is FILE with BYTES (printf escapes) written at OFFSET.
patched() { cp "$1" "$4" && printf "$3" | dd of="$4" bs=1 seek="$2" conv=notrunc status=none; }
