# Helpers shared by the run and test scripts; sourced, not run.

# Packages every build needs: compiler, CMake, OpenGL (Mesa), GLU, freeglut.
build_packages="cmake make g++ freeglut3-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri"
# What a run without a display needs: a virtual X server and screenshots.
virtual_x_packages="xvfb xdotool x11-apps imagemagick"

# Installs whichever of the named Debian packages are missing.
need_packages() {
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

# Configures and builds into the folder $1, passing the remaining arguments
# to CMake.
build_into() {
    local folder=$1
    shift
    cmake -S . -B "$folder" "$@" >/dev/null
    cmake --build "$folder" -j "$(nproc)"
}

# Starts Xvfb on a free display, sets DISPLAY and xvfb_pid.
start_xvfb() {
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    # -noreset: the server must outlive each client in turn.
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$fifo" 2>/dev/null &
    xvfb_pid=$!
    read -r display_number <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$display_number"
}

# Prints the id of the viewer's window once it is shown.
viewer_window() {
    timeout 20 xdotool search --sync --onlyvisible --name '^textures$' | head -n 1
}

# Saves the window $1 as the PNG $2.
save_screenshot() {
    xwd -silent -id "$1" | /usr/bin/convert xwd:- "$2"
}

# Starts build/textures in data/, its lines going to the file $1 and any
# further arguments to the viewer; sets viewer_pid and window, and returns
# once the first frame is on screen.
start_viewer() {
    local output=$1
    shift
    (cd data && exec stdbuf -oL ../build/textures "$@" >"$output") &
    viewer_pid=$!
    window=$(viewer_window)
    wait_for_lines "$output" 1
    # The frame line comes just before the buffers swap; give the swap a moment.
    sleep 0.5
}

# Waits until the file $1 holds at least $2 lines.
wait_for_lines() {
    for _ in $(seq 200); do
        [ "$(wc -l <"$1")" -ge "$2" ] && return 0
        sleep 0.05
    done
    echo "textures: the viewer printed no frame line" >&2
    return 1
}
