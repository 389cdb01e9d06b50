# Helpers shared by the run and test scripts; sourced, not run.

# Packages every build needs: compiler, CMake, OpenGL (Mesa), GLU, freeglut.
build_packages="cmake make g++ freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri"
# What a run without a display needs: a virtual X server and screenshots.
virtual_x_packages="xvfb xdotool x11-apps imagemagick coreutils"
# What the tests and benchmarks need besides both of those.
test_packages="libegl-dev libx11-dev libgtest-dev libbenchmark-dev valgrind"
# The browsers the web tests drive.
browser_packages="chromium firefox-esr"
# The tools the package tests check the packages with.
package_check_packages="lintian desktop-file-utils man-db unzip"

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
    apt-get update -qq >&2
    apt-get install -y -qq "${missing[@]}" >&2
}

# Node.js and npm: Debian's, unless the machine has a node of its own.
need_node() {
    command -v node >/dev/null && command -v npm >/dev/null || need_packages nodejs npm
}

# The web tests' npm packages, as tests/web/package-lock.json pins them;
# installed again only when the lock file has changed since.
need_node_modules() {
    local lock=tests/web/package-lock.json stamp=tests/web/node_modules/.installed-lock
    need_node
    cmp -s "$lock" "$stamp" && return 0
    (cd tests/web && npm ci --no-audit --no-fund >&2)
    cp "$lock" "$stamp"
}

# Configures the folder $1, passing the remaining arguments to CMake.
configure_into() {
    local folder=$1
    shift
    cmake -S . -B "$folder" "$@" >/dev/null
}

# Configures and builds everything into the folder $1, passing the
# remaining arguments to CMake.
build_into() {
    configure_into "$@"
    cmake --build "$1" -j "$(nproc)"
}

# Builds the viewer alone into build/, whatever else that folder may hold.
build_viewer() {
    configure_into build
    cmake --build build --target textures -j "$(nproc)" >/dev/null
}

# Starts Xvfb on a free display, sets DISPLAY and xvfb_pid.
start_xvfb() {
    local fifo log
    fifo=$(mktemp -u)
    log=$(mktemp)
    mkfifo "$fifo"
    # -noreset: the server must outlive each client in turn.
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$fifo" 2>"$log" &
    xvfb_pid=$!
    if ! read -r display_number <"$fifo"; then
        echo "textures: the virtual X server (Xvfb) did not start; it said:" >&2
        cat "$log" >&2
        rm -f "$fifo" "$log"
        return 1
    fi
    rm -f "$fifo" "$log"
    export DISPLAY=":$display_number"
}

# Prints the id of the window of the viewer with process id $1 once it
# shows. Should the viewer end first, or no window show within 20 s, it
# says so, with the viewer's standard error from the file $2.
viewer_window() {
    local window
    for _ in $(seq 200); do
        window=$(xdotool search --onlyvisible --name '^textures$' 2>/dev/null | head -n 1)
        [ -n "$window" ] && echo "$window" && return 0
        if ! kill -0 "$1" 2>/dev/null; then
            echo "textures: the viewer ended before its window showed" >&2
            show_errors "$2"
            return 1
        fi
        sleep 0.1
    done
    echo "textures: the viewer's window did not show within 20 s" >&2
    show_errors "$2"
    return 1
}

# Shows the viewer's standard error, kept in the file $1.
show_errors() {
    [ -s "$1" ] || return 0
    echo "textures: the viewer's standard error:" >&2
    cat "$1" >&2
}

# Saves the window $1 as the PNG $2.
save_screenshot() {
    xwd -silent -id "$1" | /usr/bin/convert xwd:- "$2"
}

# Starts build/textures in data/, its lines going to the file $1, its
# standard error to $1.errors, and any further arguments to the viewer;
# sets viewer_pid and window, and returns once the first frame is on
# screen.
start_viewer() {
    local output=$1
    shift
    start_viewer_in "$output" data ../build/textures "$@"
}

# As start_viewer, for the viewer command $3... started in the folder $2.
start_viewer_in() {
    local output=$1 folder=$2
    shift 2
    (cd "$folder" && exec stdbuf -oL "$@" >"$output" 2>"$output.errors") &
    viewer_pid=$!
    window=$(viewer_window "$viewer_pid" "$output.errors")
    wait_for_lines "$output" 1 "the first frame's line"
    # The frame line comes just before the buffers swap; give the swap a moment.
    sleep 0.5
}

# Waits up to 10 s, and no longer than the viewer started by start_viewer
# runs, until its output, the file $1, holds at least $2 lines; $3 says
# what they are, for the message when they do not come.
wait_for_lines() {
    local why="10 s passed"
    for _ in $(seq 200); do
        [ "$(wc -l <"$1")" -ge "$2" ] && return 0
        kill -0 "$viewer_pid" 2>/dev/null || { why="the viewer ended"; break; }
        sleep 0.05
    done
    echo "textures: waited for $3 (line $2 of the viewer's output) until $why;" \
        "it printed $(wc -l <"$1") lines" >&2
    show_errors "$1.errors"
    return 1
}
