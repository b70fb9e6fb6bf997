# Sourced by the test scripts: `check "what" command...` runs the command and
# says ok or FAIL; `finish` ends the script failing when any check failed.
failures=0
check() { if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }
finish() { exit $((failures != 0)); }
