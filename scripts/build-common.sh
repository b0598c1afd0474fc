# Shared by the build scripts (sourced from the source root).

# ccache, where installed, serves every build tree and clone of the source:
# paths below the source root count relative to it, and the build
# directory's own path does not enter the hash.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

# brevane_install_packages SCRIPT PACKAGE...: installs those of the Debian
# packages that are missing, with apt-get: as root, or else through sudo.
# Where neither is at hand it names them and ends the calling script
# (status 1): a bare "sudo: command not found" tells nobody what to do.
brevane_install_packages() {
    local script=$1 p
    shift
    local missing=() sudo=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "$script: these Debian packages are missing: ${missing[*]}." >&2
            echo "$script: installing them needs root and there is no sudo here: run $script as root" \
                 "(or install them as root first, then run it again)." >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# brevane_realserver_verdict LOG: one line from CTest's output LOG of the
# tests against the real server: they ran, or were skipped since no server
# was found, and then how to get one.
brevane_realserver_verdict() {
    local total skipped how
    total=$(grep -c 'Test *#[0-9]*: realserver_' "$1" || true)
    skipped=$(grep 'Test *#[0-9]*: realserver_' "$1" | grep -c 'Skipped' || true)
    if [ "$total" -eq 0 ]; then
        echo "test.sh: no tests against the real soccer server were run (none in this build)"
    elif [ "$skipped" -eq 0 ]; then
        echo "test.sh: the $total tests against the real soccer server ran"
    else
        how='see "A soccer server" in README.md'
        [ -x ../shared/sim/build-server.sh ] && how="../shared/sim/build-server.sh builds one there, or $how"
        echo "test.sh: $skipped of the $total tests against the real soccer server were skipped: no server" \
             "found; install one into ~/.cache/rcssserver3d/install ($how) or set RCSSSERVER3D to its install folder"
    fi
}

# brevane_configure DIR -DNAME=VALUE...: configures the build directory DIR
# with the given cache values: a new one for Ninja when it is installed
# (an existing one keeps its generator), with ccache as the compiler
# launcher when it is installed. A directory whose cache already holds
# every value is left as it is (the build regenerates itself when a
# CMakeLists.txt changes).
brevane_configure() {
    local dir=$1 arg name value cached
    shift
    local args=("$@")
    if command -v ccache >/dev/null; then
        args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    if [ -f "$dir/CMakeCache.txt" ]; then
        local stale=0
        for arg in "${args[@]}"; do
            name=${arg#-D}
            value=${name#*=}
            name=${name%%=*}
            name=${name%%:*}
            cached=$(sed -n "s/^$name:[A-Z]*=//p" "$dir/CMakeCache.txt")
            [ "$cached" = "$value" ] || stale=1
        done
        [ $stale = 0 ] && return 0
    elif command -v ninja >/dev/null; then
        args=(-G Ninja "${args[@]}")
    fi
    cmake -S . -B "$dir" "${args[@]}"
}

# The sanitizer tree (scripts/sanitize.sh and scripts/fuzz.sh): clang, with
# AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer's coverage, so
# that the libFuzzer programs link the objects the tests run; without the
# benchmarks and the experiment tools, which no test runs. Both scripts
# configure it alike, so neither undoes the other's build.
BREVANE_SANITIZE_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link -fno-omit-frame-pointer"
brevane_configure_sanitize() {
    local dir=$1 cxx
    shift
    cxx=$(command -v clang++) || {
        echo "no clang++: the sanitizer tree is built with clang (scripts/setup.sh installs it)" >&2
        return 1
    }
    local opts=(-DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBREVANE_BENCH=OFF
                -DBREVANE_TOOLS=OFF -DBREVANE_FUZZ=ON "-DCMAKE_CXX_FLAGS=$BREVANE_SANITIZE_FLAGS")
    case "${WERROR:-}" in
        1) opts+=(-DBREVANE_WERROR=ON) ;;
        0) opts+=(-DBREVANE_WERROR=OFF) ;;
    esac
    brevane_configure "$dir" "${opts[@]}" "$@"
}
