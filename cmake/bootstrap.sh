# Shared set-up for ./korlix and ./run-tests: installs what is missing from
# Debian's packages, builds what is stale and prepares the Wine prefix.
# Sourced, not run. Progress goes to standard error so that ./korlix keeps
# the program's standard output clean.

KORLIX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORLIX_BUILD="${KORLIX_BUILD_DIR:-$KORLIX_ROOT/build/mingw}"
export KORLIX_WINEPREFIX="${KORLIX_WINEPREFIX:-$KORLIX_ROOT/build/wineprefix}"
KORLIX_WINE="$KORLIX_ROOT/cmake/wine-exec"

korlix_log() { echo "korlix: $*" >&2; }

korlix_packages() {
    local missing=()
    command -v cmake >/dev/null || missing+=(cmake)
    command -v ninja >/dev/null || missing+=(ninja-build)
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
    command -v x86_64-w64-mingw32-windres >/dev/null || missing+=(binutils-mingw-w64-x86-64)
    [ -x /usr/lib/wine/wine64 ] || missing+=(wine64 wine)
    [ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
    # The package: wixl builds it, msitools' msiinfo and msibuild and a
    # Python script finish its tables.
    command -v wixl >/dev/null || missing+=(wixl)
    command -v msibuild >/dev/null || missing+=(msitools)
    command -v python3 >/dev/null || missing+=(python3)
    [ ${#missing[@]} -eq 0 ] && return 0
    korlix_log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    { $sudo apt-get update -q && $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; } >&2
}

korlix_prefix() {
    [ -f "$KORLIX_WINEPREFIX/system.reg" ] && return 0
    korlix_log "preparing the Wine prefix $KORLIX_WINEPREFIX"
    mkdir -p "$(dirname "$KORLIX_WINEPREFIX")"
    "$KORLIX_WINE" wineboot -i >/dev/null 2>&1
    WINEPREFIX="$KORLIX_WINEPREFIX" /usr/lib/wine/wineserver -w
    [ -f "$KORLIX_WINEPREFIX/system.reg" ]
}

korlix_build() {
    if [ ! -f "$KORLIX_BUILD/build.ninja" ]; then
        cmake -S "$KORLIX_ROOT" -B "$KORLIX_BUILD" -G Ninja \
            -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$KORLIX_ROOT/cmake/mingw-w64-x86_64.cmake" >&2 || return 1
    fi
    cmake --build "$KORLIX_BUILD" >&2 || return 1
    # Installs the package into the prefix (quick when unchanged).
    cmake --build "$KORLIX_BUILD" --target install-prefix >&2
}

korlix_setup() {
    korlix_packages && korlix_prefix && korlix_build
}

# The same, with the build's output kept in a log that is shown only when
# something fails, so that ./korlix prints nothing but the program's output.
korlix_setup_quiet() {
    local log="$KORLIX_ROOT/build/setup.log"
    mkdir -p "$KORLIX_ROOT/build"
    korlix_setup 2>"$log" && return 0
    cat "$log" >&2
    return 1
}
