# shellcheck shell=bash
# Helpers shared by the scripts in this folder: the repo root, the Debian packages the
# build and the tests need, and the CMake build. Source it; it defines functions only.
#
# The scripts that source it run with `set -euo pipefail`; it is also sourced (through
# wine-env) into interactive shells, so it does not change the caller's shell options
# and its functions report failure by return code and a message instead.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    set -euo pipefail
    echo "lib.sh is meant to be sourced: source scripts/lib.sh" >&2
    exit 2
fi

# The repo root, fixed when this file is sourced (BASH_SOURCE may be a relative path,
# which would break once a caller changes directory).
FOTOLOFT_ROOT="$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd -P)"

# Debian packages the build, the tests and the scripts need (procps for pgrep and ps; nasm
# for libjpeg-turbo's SIMD code, see scripts/build-libjpeg-turbo; nsis for makensis, which
# makes the installer; fonts-wine for Wine's own fonts, without which the caption buttons
# show letters instead of their symbols).
# (The lists are used by the scripts that source this file.)
# shellcheck disable=SC2034
FOTOLOFT_PACKAGES=(
    cmake ninja-build
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    mingw-w64-x86-64-dev googletest nasm nsis
    wine wine64 fonts-wine
    xvfb xauth x11-utils xdotool procps
)

# What scripts/make-demo-camera needs on top: ImageMagick draws the stills, exiftool tags
# them, ffmpeg encodes the clips. Only scripts/run makes a demo camera, so the tests go
# without them; scripts/run --screenshot takes and checks its picture with ImageMagick too.
# shellcheck disable=SC2034
FOTOLOFT_DEMO_CAMERA_PACKAGES=(imagemagick ffmpeg libimage-exiftool-perl)

# What scripts/fuzz needs on top: Debian's clang with its libFuzzer and sanitizer runtimes,
# and libjpeg-turbo for the build machine (the imaging library's JPEG reader links it).
# shellcheck disable=SC2034
FOTOLOFT_FUZZ_PACKAGES=(clang libclang-rt-dev libjpeg62-turbo-dev)

fotoloft_root() {
    printf '%s\n' "$FOTOLOFT_ROOT"
}

fotoloft_log() {
    printf '== %s\n' "$*" >&2
}

fotoloft_die() {
    printf 'error: %s\n' "$*" >&2
    return 1
}

# Installs those of the named packages that are missing, e.g.
#   fotoloft_ensure_packages "${FOTOLOFT_PACKAGES[@]}"
# One dpkg-query call keeps the usual case (everything installed) well under a second;
# apt-get runs only when something is missing.
fotoloft_ensure_packages() {
    local -A installed=()
    local missing=() pkg status
    (($# > 0)) || fotoloft_die "fotoloft_ensure_packages: no packages named" || return 1
    # Lines "<name> <status>" for every known package; unknown names only print to stderr.
    while read -r pkg status; do
        [[ "$status" == ii ]] && installed["$pkg"]=1
    done < <(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "$@" 2>/dev/null || true)
    for pkg in "$@"; do
        [[ -n "${installed[$pkg]:-}" ]] || missing+=("$pkg")
    done
    ((${#missing[@]} == 0)) && return 0

    fotoloft_log "installing missing packages: ${missing[*]}"
    local sudo=()
    if ((EUID != 0)); then
        command -v sudo >/dev/null || fotoloft_die "not root and no sudo: install ${missing[*]}" || return 1
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update || fotoloft_die "apt-get update failed" || return 1
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends "${missing[@]}" \
        || fotoloft_die "apt-get install failed: ${missing[*]}" || return 1
}

# Prints the value of the CMake cache entry NAME (of any type) from CACHE.
fotoloft__cache_value() {
    local line
    while IFS= read -r line; do
        if [[ "${line%%[:=]*}" == "$1" && "$line" == *=* ]]; then
            printf '%s\n' "${line#*=}"
            return 0
        fi
    done <"$2"
    return 1
}

# True when build/ was configured by this checkout, with Ninja and the mingw toolchain;
# a cache left by a moved or differently configured tree is configured afresh. Values are
# compared as plain strings: a checkout path may hold characters such as + ( [ that a
# pattern would read as operators.
fotoloft__cache_current() {
    local build="$FOTOLOFT_ROOT/build" cache="$FOTOLOFT_ROOT/build/CMakeCache.txt" value
    [[ -f "$build/build.ninja" && -f "$cache" ]] || return 1
    value="$(fotoloft__cache_value CMAKE_HOME_DIRECTORY "$cache")" || return 1
    [[ "$value" == "$FOTOLOFT_ROOT" ]] || return 1
    value="$(fotoloft__cache_value CMAKE_GENERATOR "$cache")" || return 1
    [[ "$value" == Ninja ]] || return 1
    value="$(fotoloft__cache_value CMAKE_TOOLCHAIN_FILE "$cache")" || return 1
    [[ "$value" == "$FOTOLOFT_ROOT/cmake/mingw-w64-x86_64.cmake" ]] || return 1
}

# --- the run lock --------------------------------------------------------------------
# scripts/test, scripts/run and `scripts/wine-env COMMAND` each hold build/wineprefix.run.lock
# for their whole run: tests, benchmarks and the camera setting change the prefix's registry
# values and put them back afterwards, and two runs would trip over each other's values (and
# over each other's build). A second run waits for the first.
#
# A helper process holds the lock: `flock -o` takes it and keeps it while its command, cat,
# reads a pipe from this shell. Bash keeps its ends of a coprocess's pipes out of every
# program it starts (close-on-exec), so nothing this shell starts holds the lock or the
# pipe: not Wine's daemons (wineserver, services.exe, the desktop), not Xvfb. The lock ends
# when this shell does, however it ends. (A descriptor opened with `exec {fd}>file`, or one
# that flock(1) passes to its command without -o, would be inherited by all of those and
# outlive the script.)

# How long a second run waits: a full test run takes several minutes, and a scripts/run
# session lasts as long as its window stays open.
FOTOLOFT__RUN_LOCK_WAIT_MIN=60

FOTOLOFT__RUN_LOCK_HELPER="${FOTOLOFT__RUN_LOCK_HELPER:-}"
FOTOLOFT__RUN_LOCK_FD="${FOTOLOFT__RUN_LOCK_FD:-}"

# True when PID is this shell or one of its ancestors.
fotoloft__has_ancestor() {
    local pid="$$" stat
    while ((pid > 1)); do
        [[ "$pid" == "$1" ]] && return 0
        read -r stat 2>/dev/null <"/proc/$pid/stat" || return 1
        # After the command name in parentheses: state, parent pid, ...
        read -r _ pid _ <<<"${stat##*) }"
    done
    return 1
}

# Prints who holds the lock on FILE, as "pid N (command line)", from /proc/locks. For a
# lock helper (a flock process), its parent, the script, is named.
fotoloft__lock_holder() {
    local ino pid cmd
    ino="$(stat -c %i -- "$1" 2>/dev/null)" || return 1
    # Lines "1: FLOCK ADVISORY WRITE <pid> <major>:<minor>:<inode> 0 EOF"; waiters have "->".
    pid="$(awk -v ino="$ino" '$2 == "FLOCK" && split($6, id, ":") == 3 && id[3] == ino {
        print $5; exit }' /proc/locks 2>/dev/null)"
    [[ -n "$pid" ]] || return 1
    if [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == flock ]]; then
        pid="$(awk '$1 == "PPid:" { print $2 }' "/proc/$pid/status" 2>/dev/null)"
    fi
    cmd="$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" || cmd=""
    printf 'pid %s (%s)\n' "$pid" "${cmd% }"
}

# Takes the run lock for as long as this shell lives (fotoloft_run_unlock gives it back
# earlier), waiting for another run of this checkout to finish if need be. A script started
# by the holder (scripts/wine-env CMD from scripts/run, say) shares its lock instead: it
# would wait for itself.
fotoloft_run_lock() {
    local file="$FOTOLOFT_ROOT/build/wineprefix.run.lock" line="" holder from_helper
    local status waiting=0
    [[ -z "$FOTOLOFT__RUN_LOCK_HELPER" ]] || return 0
    if [[ -n "${FOTOLOFT_RUN_LOCK_OWNER:-}" ]] && fotoloft__has_ancestor "$FOTOLOFT_RUN_LOCK_OWNER"; then
        return 0
    fi
    mkdir -p -- "$FOTOLOFT_ROOT/build" || return 1

    coproc FOTOLOFT__RUN_LOCKER {
        exec flock -o -w "$((FOTOLOFT__RUN_LOCK_WAIT_MIN * 60))" "$file" cat
    }
    FOTOLOFT__RUN_LOCK_HELPER="$FOTOLOFT__RUN_LOCKER_PID"
    FOTOLOFT__RUN_LOCK_FD="${FOTOLOFT__RUN_LOCKER[1]}"
    from_helper="${FOTOLOFT__RUN_LOCKER[0]}"
    # cat echoes this line once flock has the lock; flock ends the pipe if it gives up.
    printf 'locked\n' >&"$FOTOLOFT__RUN_LOCK_FD"
    while :; do
        status=0
        read -r -t 1 line <&"$from_helper" || status=$?
        ((status > 128)) || break
        # Still no answer after a second: say for whom we wait (unless the lock has just
        # come to us and the answer is on its way).
        if ((waiting == 0)) && holder="$(fotoloft__lock_holder "$file")" \
            && [[ "$holder" != "pid $$ "* ]]; then
            fotoloft_log "waiting up to $FOTOLOFT__RUN_LOCK_WAIT_MIN min for" \
                "build/wineprefix.run.lock, held by $holder"
            waiting=1
        fi
    done
    if [[ "$line" != locked ]]; then
        exec {FOTOLOFT__RUN_LOCK_FD}>&-
        status=0
        wait "$FOTOLOFT__RUN_LOCK_HELPER" || status=$?
        FOTOLOFT__RUN_LOCK_HELPER=""
        FOTOLOFT__RUN_LOCK_FD=""
        if ((status == 1)); then
            holder="$(fotoloft__lock_holder "$file")" || holder="another run"
            fotoloft_die "gave up after $FOTOLOFT__RUN_LOCK_WAIT_MIN min waiting for" \
                "build/wineprefix.run.lock, held by $holder; end that run, then try again"
        else
            fotoloft_die "could not lock $file (flock exited with status $status)"
        fi
        return 1
    fi
    export FOTOLOFT_RUN_LOCK_OWNER="$$"
}

# Gives the run lock back now, if this shell holds it: cat sees the end of its input and
# flock exits, which releases the lock, before this returns.
fotoloft_run_unlock() {
    [[ -n "$FOTOLOFT__RUN_LOCK_HELPER" ]] || return 0
    exec {FOTOLOFT__RUN_LOCK_FD}>&-
    wait "$FOTOLOFT__RUN_LOCK_HELPER" 2>/dev/null || true
    FOTOLOFT__RUN_LOCK_HELPER=""
    FOTOLOFT__RUN_LOCK_FD=""
    if [[ "${FOTOLOFT_RUN_LOCK_OWNER:-}" == "$$" ]]; then
        unset FOTOLOFT_RUN_LOCK_OWNER
    fi
}

# Builds libjpeg-turbo when it is missing or stale (the imaging library links it, and CMake
# refuses to configure without it), configures when needed, then builds everything (program,
# DLLs, tests, tools), or only the named CMake targets and what they need.
fotoloft_build() {
    local targets=() target
    for target in "$@"; do
        targets+=(--target "$target")
    done
    local build="$FOTOLOFT_ROOT/build"
    "$FOTOLOFT_ROOT/scripts/build-libjpeg-turbo" \
        || fotoloft_die "building libjpeg-turbo failed (see above)" || return 1
    if ! fotoloft__cache_current; then
        fotoloft_log "configuring"
        # Only CMake's own files go: build/ also holds the Wine prefix, which is expensive.
        rm -rf -- "$build/CMakeCache.txt" "$build/CMakeFiles"
        cmake -S "$FOTOLOFT_ROOT" -B "$build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$FOTOLOFT_ROOT/cmake/mingw-w64-x86_64.cmake" >&2 \
            || fotoloft_die "cmake configure failed (see above)" || return 1
    fi
    fotoloft_log "building"
    cmake --build "$build" "${targets[@]}" >&2 || fotoloft_die "build failed (see above)" || return 1
}

# Registers the hosted components (thumbnail tray, album list) and the shell program built in
# BIN with the Wine prefix, as their installers would on Windows. Needs wine-env sourced.
# Registration names the full paths, so it is done again on every run (a clone elsewhere has
# other paths).
fotoloft_register_components() {
    local bin="$1" dll
    for dll in SlideTray.dll AlbumList.dll; do
        [[ -f "$bin/$dll" ]] || continue
        wine regsvr32 /s "$bin/$dll" >/dev/null 2>&1 \
            || fotoloft_die "registering $dll failed" || return 1
    done
    # The shell program's gallery object is served by LMShell.exe itself, out of process.
    if [[ -f "$bin/LMShell.exe" ]]; then
        wine "$bin/LMShell.exe" /RegServer </dev/null >/dev/null 2>&1 \
            || fotoloft_die "registering LMShell.exe failed" || return 1
    fi
}
