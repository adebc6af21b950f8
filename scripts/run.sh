#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vellum under Wine.
# Uses $DISPLAY when it is set; otherwise starts a virtual display (Xvfb) and says which.
# Arguments are passed to the program (e.g. "/a" for the background start).
# Environment: VELLUM_BUILD_ROOT (default <repo>/build), VELLUM_WINEPREFIX (default
# $VELLUM_BUILD_ROOT/wineprefix).
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELLUM_BUILD_ROOT=${VELLUM_BUILD_ROOT:-$REPO/build}

bash "$REPO/scripts/deps.sh"
bash "$REPO/scripts/build.sh" win

# shellcheck source=scripts/wine-env.sh
source "$REPO/scripts/wine-env.sh"
had_display=${DISPLAY:-}
vellum_env_up display
if [[ -z "$had_display" ]]; then
    echo "run: no DISPLAY was set: the program runs on the virtual display $DISPLAY"
    echo "run: look at it with: DISPLAY=$DISPLAY /usr/bin/import -window root shot.png"
fi

exe="$VELLUM_BUILD_ROOT/win/Vellum_Capture.exe"
echo "run: starting $exe $* (close its window or press Ctrl+C to stop)"
status=0
wine "$exe" "$@" </dev/null || status=$?
echo "run: the program ended with exit code $status"
exit "$status"
