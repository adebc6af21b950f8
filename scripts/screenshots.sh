#!/usr/bin/env bash
# Takes the README's screenshots (docs/*.png) of the real program under Wine on Xvfb.
set -euo pipefail
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELLUM_BUILD_ROOT=${VELLUM_BUILD_ROOT:-$REPO/build}
bash "$REPO/scripts/deps.sh"
bash "$REPO/scripts/build.sh" win
# shellcheck source=wine-env.sh
source "$REPO/scripts/wine-env.sh"
vellum_env_up tests
VELLUM_BUILD_DIR="$VELLUM_BUILD_ROOT/win" /usr/bin/python3 "$REPO/tools/screenshots/take_screenshots.py"
