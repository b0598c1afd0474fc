# Shared by the build scripts (sourced from the source root).

# ccache, where installed, serves every build tree and clone of the source:
# paths below the source root count relative to it, and the build
# directory's own path does not enter the hash.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

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
