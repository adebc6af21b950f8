#!/usr/bin/env bash
# Configures and builds the four trees:
#   $VELLUM_BUILD_ROOT/native  host build (Debug): the platform-neutral core and its unit tests,
#                              with AddressSanitizer and UBSan unless VELLUM_SANITIZE=OFF
#   $VELLUM_BUILD_ROOT/win     MinGW-w64 cross build (Release): Vellum_Capture.exe, the Win32
#                              tests, the test driver
#   $VELLUM_BUILD_ROOT/fuzz    host build with clang (RelWithDebInfo): the core and its libFuzzer
#                              targets, with AddressSanitizer and UBSan
#   $VELLUM_BUILD_ROOT/win-clang  the Windows tree again, compiled and linked by clang for the same
#                              target (Release, warnings are errors), so that code only GCC
#                              accepts is caught; its tests are not run
# VELLUM_BUILD_ROOT defaults to <repo>/build; give each parallel checkout or engineer its own.
# Arguments: "native", "win", "fuzz" or "win-clang" to build only those trees (default: all).
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_ROOT=${VELLUM_BUILD_ROOT:-$REPO/build}
SANITIZE=${VELLUM_SANITIZE:-ON}
JOBS=${VELLUM_JOBS:-$(nproc)}

trees=("$@")
((${#trees[@]})) || trees=(native win fuzz win-clang)

configure_and_build() {
    local dir=$1
    shift
    mkdir -p "$(dirname "$dir")"
    # Configuring an existing tree is quick and applies changed options.
    cmake -S "$REPO" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log" >&2; return 1; }
    cmake --build "$dir" --parallel "$JOBS"
}

for tree in "${trees[@]}"; do
    case "$tree" in
    native)
        echo "build: native tree in $BUILD_ROOT/native"
        configure_and_build "$BUILD_ROOT/native" -DCMAKE_BUILD_TYPE=Debug \
            -DVELLUM_SANITIZE="$SANITIZE"
        ;;
    win)
        echo "build: Windows tree in $BUILD_ROOT/win"
        configure_and_build "$BUILD_ROOT/win" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/mingw-w64-x86_64.cmake"
        ;;
    fuzz)
        echo "build: fuzz tree in $BUILD_ROOT/fuzz"
        configure_and_build "$BUILD_ROOT/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVELLUM_FUZZ=ON
        ;;
    win-clang)
        echo "build: Windows tree with clang in $BUILD_ROOT/win-clang"
        # GNU ld warns at every link that clang's type-name strings (e.g. "St9exception") are
        # shorter than the padded copies in GCC's libstdc++; the bytes are the same, the
        # warning is dropped.
        same_names='^/[^ ]*libstdc\+\+\.a\([^)]*\): duplicate section `\.rdata\$_ZT[SI][^ ]*'"'"
        same_names+=' has different size$'
        configure_and_build "$BUILD_ROOT/win-clang" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/clang-mingw-w64-x86_64.cmake" \
            -DCMAKE_COMPILE_WARNING_AS_ERROR=ON | { grep -v -E "$same_names" || true; }
        ;;
    *)
        echo "build: unknown tree '$tree' (native, win, fuzz or win-clang)" >&2
        exit 2
        ;;
    esac
done
