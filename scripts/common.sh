# Helpers shared by the scripts; sourced, not run.

# Packages every build needs: compiler, CMake, OpenGL (Mesa), GLU, freeglut.
build_packages="cmake make g++ freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri"
# What a run without a display needs: a virtual X server and screenshots.
virtual_x_packages="xvfb xauth x11-apps imagemagick"
# What the tests and benchmarks need besides both of those.
test_packages="libegl-dev libx11-dev libpng-dev libjpeg-dev nlohmann-json3-dev libgtest-dev libbenchmark-dev
    valgrind"
# The browsers the web tests drive.
browser_packages="chromium firefox-esr"
# The tools the package tests check the packages with.
package_check_packages="lintian desktop-file-utils man-db unzip"
# The ARM builds' architectures, as Debian names them; their cross
# compilers, and qemu-user, which runs what they build.
cross_architectures="arm64 armhf"
cross_packages="g++-aarch64-linux-gnu g++-arm-linux-gnueabihf qemu-user"

# Installs whichever of the named Debian packages are missing.
need_packages() {
    if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
        echo "textures: installing packages works on Debian only; carrying on in the hope" \
            "that this system has what these packages give: $*" >&2
        return 0
    fi
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    # A mirror in the middle of a sync serves a stale index now and then,
    # which apt leaves out, and the packages it lists are then not to be
    # had: asked again a little later, the mirror serves a whole one.
    for attempt in 1 2 3; do
        apt-get update -qq >&2 || true
        apt-get install -y -qq "${missing[@]}" >&2 && return 0
        [ "$attempt" = 3 ] || { echo "trying again in 30 s" >&2; sleep 30; }
    done
    return 1
}

# The ARM builds' needs: their architectures added to dpkg's, the cross
# compilers and qemu-user, and each target's own libraries (freeglut, GLU,
# Mesa) beside this machine's.
need_cross_packages() {
    command -v dpkg >/dev/null || { need_packages $cross_packages; return 0; }
    local packages=$cross_packages
    for architecture in $cross_architectures; do
        dpkg --print-foreign-architectures | grep -qx "$architecture" ||
            dpkg --add-architecture "$architecture"
        packages+=" freeglut3-dev:$architecture libglu1-mesa-dev:$architecture"
        packages+=" libgl1-mesa-dri:$architecture"
    done
    need_packages $packages
}

# The target's own libstdbuf.so, which the ARM tests preload into the viewer
# that qemu runs: unpacked from the architecture $1's coreutils package
# into the build folder $2, under coreutils/, where it is missing.
need_target_stdbuf() {
    local folder=$2/coreutils
    [ -f "$folder/usr/libexec/coreutils/libstdbuf.so" ] && return 0
    rm -rf "$folder"
    mkdir -p "$folder"
    (cd "$folder" && apt-get download -qq -o APT::Sandbox::User="$(id -un)" "coreutils:$1" &&
        dpkg-deb -x coreutils_*.deb . && rm coreutils_*.deb)
}

# The npm packages of the browser tests and benchmark, as
# tests/support/package-lock.json pins them, with Node.js and npm (Debian's,
# unless the machine has its own); installed again only when the lock file
# has changed since.
need_node_modules() {
    local lock=tests/support/package-lock.json stamp=tests/support/node_modules/.installed-lock
    command -v node >/dev/null && command -v npm >/dev/null || need_packages nodejs npm
    cmp -s "$lock" "$stamp" && return 0
    (cd tests/support && npm ci --no-audit --no-fund >&2)
    cp "$lock" "$stamp"
}

# Runs the command on the display, or on a virtual X server where there is
# none; -noreset, for the server must outlive each client in turn.
on_display() {
    if [ -n "${DISPLAY:-}" ]; then
        "$@"
    else
        xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
    fi
}

# On the display: starts the command $4... in the folder $3, its lines going
# to the file $2 and its standard error to $2.errors; once the first frame's
# line is there, saves the window titled "textures" as the PNG $1. Sets
# viewer_pid; says why and fails where the viewer ends or no frame comes.
first_frame() {
    local shot=$1 output=$2 folder=$3
    shift 3
    (cd "$folder" && exec stdbuf -oL "$@" >"$output" 2>"$output.errors") &
    viewer_pid=$!
    for _ in $(seq 200); do
        [ -s "$output" ] && break
        kill -0 "$viewer_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$output" ]; then
        echo "textures: no first frame; the viewer said:" >&2
        cat "$output.errors" >&2
        return 1
    fi
    # The line comes just before the buffers swap; give the swap a moment.
    sleep 0.5
    xwd -silent -name textures | /usr/bin/convert xwd:- "$shot"
}
