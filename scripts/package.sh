#!/usr/bin/env bash
# Builds the Windows tree (scripts/build.sh win) and writes the release files:
#   $VELLUM_DIST_DIR/Vellum_Capture-<version>-win64.zip   the program, LICENSE.txt and 使用说明.txt
#   $VELLUM_DIST_DIR/Vellum_Capture-<version>-setup.exe   the per-user installer (NSIS)
# The version is the version resource's (res/Vellum_Capture.rc); CMake's project version must
# agree with it. Both files are reproducible: every file in them carries the time
# SOURCE_DATE_EPOCH (default: the last commit's time), so the same sources give the same bytes.
#
# Arguments: --no-build packages the existing $VELLUM_BUILD_ROOT/win tree as it is.
# Environment: VELLUM_BUILD_ROOT (default <repo>/build), VELLUM_DIST_DIR (default <repo>/dist),
# SOURCE_DATE_EPOCH.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_ROOT=${VELLUM_BUILD_ROOT:-$REPO/build}
DIST=${VELLUM_DIST_DIR:-$REPO/dist}
WIN="$BUILD_ROOT/win"

die() {
    echo "package: $*" >&2
    exit 1
}

build=1
for arg in "$@"; do
    case "$arg" in
    --no-build) build=0 ;;
    *)
        echo "usage: package.sh [--no-build]" >&2
        exit 2
        ;;
    esac
done

rc="$REPO/res/Vellum_Capture.rc"
version=$(sed -n 's/^#define VELLUM_VERSION_TEXT "\([0-9.]*\)"\r\{0,1\}$/\1/p' "$rc")
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] ||
    die "no VELLUM_VERSION_TEXT \"X.Y.Z\" in $rc"
cmake_version=$(sed -n 's/^project(Vellum VERSION \([0-9.]*\) .*/\1/p' "$REPO/CMakeLists.txt")
[[ "$cmake_version" == "$version" ]] ||
    die "CMakeLists.txt says version '$cmake_version', $rc says '$version'"
# The installer's publisher is the company the executable's own version resource names.
publisher=$(sed -n 's/^ *VALUE "CompanyName", "\(.*\)"\r\{0,1\}$/\1/p' "$rc")
[[ -n "$publisher" ]] || die "no CompanyName in $rc"

if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
    SOURCE_DATE_EPOCH=$(git -C "$REPO" log -1 --format=%ct 2>/dev/null) ||
        die "not a git checkout: set SOURCE_DATE_EPOCH"
fi
[[ "$SOURCE_DATE_EPOCH" =~ ^[0-9]+$ ]] || die "SOURCE_DATE_EPOCH is not a number"
export SOURCE_DATE_EPOCH

command -v makensis >/dev/null || die "makensis is missing (run scripts/deps.sh as root)"

if ((build)); then
    VELLUM_BUILD_ROOT="$BUILD_ROOT" bash "$REPO/scripts/build.sh" win
fi
exe="$WIN/Vellum_Capture.exe"
[[ -f "$exe" ]] || die "$exe is missing (build the Windows tree first)"

stage=$(mktemp -d /tmp/vellum-package.XXXXXX)
trap 'rm -rf "$stage"' EXIT

# The texts as Windows users' editors expect them: CRLF lines; the guide in UTF-8 with a
# byte-order mark, so that Notepad of every Windows version takes it for UTF-8.
to_crlf() { sed 's/\r$//; s/$/\r/' "$1"; }
cp "$exe" "$stage/Vellum_Capture.exe"
to_crlf "$REPO/LICENSE" >"$stage/LICENSE.txt"
{ printf '\xef\xbb\xbf'; to_crlf "$REPO/docs/使用说明.md"; } >"$stage/guide.txt"
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

size_kb=$(( ($(cat "$stage"/* | wc -c) + 1023) / 1024 ))
base="Vellum_Capture-$version"
mkdir -p "$DIST"

echo "package: $base-win64.zip"
/usr/bin/python3 "$REPO/scripts/reproducible_zip.py" "$stage/$base-win64.zip" "$SOURCE_DATE_EPOCH" \
    "Vellum_Capture.exe=$stage/Vellum_Capture.exe" \
    "LICENSE.txt=$stage/LICENSE.txt" \
    "使用说明.txt=$stage/guide.txt"

echo "package: $base-setup.exe"
# makensis reads its arguments in the locale's character set: the publisher's name needs UTF-8
# (C.UTF-8 is built into Debian's C library), whatever the caller's locale.
LC_ALL=C.UTF-8 makensis -INPUTCHARSET UTF8 -OUTPUTCHARSET UTF8 -V2 \
    "-DVERSION=$version" "-DPUBLISHER=$publisher" "-DSTAGE=$stage" \
    "-DOUTFILE=$stage/$base-setup.exe" "-DSIZE_KB=$size_kb" \
    "-DICON=$REPO/res/Vellum_Capture.ico" \
    "$REPO/installer/vellum.nsi" >"$stage/makensis.log" 2>&1 ||
    { cat "$stage/makensis.log" >&2; die "makensis failed"; }

# Replaced only when both are made.
mv -f "$stage/$base-win64.zip" "$DIST/$base-win64.zip"
mv -f "$stage/$base-setup.exe" "$DIST/$base-setup.exe"
(cd "$DIST" && sha256sum "$base-win64.zip" "$base-setup.exe" | sed 's/^/package: /')
