#!/usr/bin/env bash
# Installs what is missing, builds the trees and runs every test:
#   1. the native unit tests of the core (with AddressSanitizer and UBSan),
#   2. short runs of the core's fuzz targets (libFuzzer, with AddressSanitizer and UBSan),
#   3. under Wine, on a virtual display and in a Wine prefix of the project's own:
#      the cross-built unit and Win32 tests, and the end-to-end tests of the real program.
# Exits non-zero when anything fails; the last line sums up all tests.
# Environment: VELLUM_BUILD_ROOT (default <repo>/build), VELLUM_WINEPREFIX (default
# $VELLUM_BUILD_ROOT/wineprefix), VELLUM_SANITIZE=OFF to build the native tree without
# sanitizers, CTEST_ARGS for extra ctest arguments (e.g. "-R e2e").
set -uo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELLUM_BUILD_ROOT=${VELLUM_BUILD_ROOT:-$REPO/build}
NATIVE="$VELLUM_BUILD_ROOT/native"
WIN="$VELLUM_BUILD_ROOT/win"
FUZZ="$VELLUM_BUILD_ROOT/fuzz"
started=$SECONDS

bash "$REPO/scripts/deps.sh" || { echo "test: installing the packages failed"; exit 1; }
bash "$REPO/scripts/build.sh" || { echo "test: the build failed"; exit 1; }

LOGS=$(mktemp -d /tmp/vellum-test.XXXXXX)
# shellcheck disable=SC2206
extra=(${CTEST_ARGS:-})

# "N% tests passed, F tests failed out of T" -> "T F" (0 0 when ctest ran nothing).
ctest_counts() {
    local line
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n1)
    if [[ -z "$line" ]]; then
        echo "0 0"
    else
        sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\2 \1/' <<<"$line"
    fi
}

echo "test: native tests ($NATIVE)"
ctest --test-dir "$NATIVE" --output-on-failure "${extra[@]}" </dev/null 2>&1 | tee "$LOGS/native.log"
native_status=${PIPESTATUS[0]}

echo "test: fuzz targets ($FUZZ)"
ctest --test-dir "$FUZZ" --output-on-failure "${extra[@]}" </dev/null 2>&1 | tee "$LOGS/fuzz.log"
fuzz_status=${PIPESTATUS[0]}

echo "test: Windows tests under Wine ($WIN)"
rm -f "$WIN/e2e-results.xml"
(
    # shellcheck source=scripts/wine-env.sh
    source "$REPO/scripts/wine-env.sh"
    export VELLUM_XVFB=1  # the tests always get a display of their own
    vellum_env_up tests
    ctest --test-dir "$WIN" --output-on-failure "${extra[@]}" </dev/null
) 2>&1 | tee "$LOGS/win.log"
win_status=${PIPESTATUS[0]}

read -r native_total native_failed < <(ctest_counts "$LOGS/native.log")
read -r fuzz_total fuzz_failed < <(ctest_counts "$LOGS/fuzz.log")
read -r win_total win_failed < <(ctest_counts "$LOGS/win.log")

# The e2e suite is one ctest test: count its pytest cases instead, from its JUnit report.
e2e_total=0 e2e_failed=0 e2e_skipped=0
if [[ -f "$WIN/e2e-results.xml" ]]; then
    read -r e2e_total e2e_failed e2e_skipped < <(/usr/bin/python3 - "$WIN/e2e-results.xml" <<'PY'
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
suites = [root] if root.tag == "testsuite" else root.findall("testsuite")
get = lambda name: sum(int(s.get(name, 0)) for s in suites)
print(get("tests"), get("failures") + get("errors"), get("skipped"))
PY
    )
    win_total=$((win_total - 1))
    if grep -qE '^[[:space:]]*[0-9]+ - e2e \(' "$LOGS/win.log"; then
        win_failed=$((win_failed - 1))
        # A suite that failed without a failing case (a crash, a time-out) still counts.
        ((e2e_failed > 0)) || e2e_failed=1
    fi
fi

total=$((native_total + fuzz_total + win_total + e2e_total))
failed=$((native_failed + fuzz_failed + win_failed + e2e_failed))
passed=$((total - failed - e2e_skipped))
status=0
((native_status == 0 && fuzz_status == 0 && win_status == 0)) || status=1
((failed == 0)) || status=1
if ((total == 0)); then
    echo "test: no test ran"
    status=1
fi
rm -rf "$LOGS"

echo "test: native $((native_total - native_failed))/$native_total," \
    "fuzz $((fuzz_total - fuzz_failed))/$fuzz_total," \
    "Wine $((win_total - win_failed))/$win_total," \
    "end-to-end $((e2e_total - e2e_failed - e2e_skipped))/$e2e_total passed" \
    "in $((SECONDS - started)) s"
if ((e2e_skipped)); then
    echo "tests: $passed passed, $failed failed, $e2e_skipped skipped"
else
    echo "tests: $passed passed, $failed failed"
fi
exit "$status"
