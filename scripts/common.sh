# Helpers shared by the scripts; sourced, not run.

# The Debian packages each job needs. What the program needs of its system
# (target_root.sh unpacks it for the ARM builds); every build's: that, the
# compiler, CMake, lowdown and gzip (the manual); a virtual X server and
# screenshots; the page's Emscripten, terser and Python (its server).
gl_packages="libglut-dev libglu1-mesa-dev libgl1-mesa-dri"
build_packages="cmake make g++ $gl_packages lowdown gzip"
virtual_x_packages="xvfb xauth x11-apps imagemagick"
web_packages="emscripten terser python3"
# The jobs, by the names install_packages.sh takes. The tests' libraries,
# valgrind and Node; the ARM builds' cross compilers, qemu-user, mmdebstrap
# (target_root.sh), and dpkg-dev and file, which read a .deb's dependencies;
# the Windows build's MinGW-w64, and dpkg-dev for freeglut's source; the
# browsers and npm, which installs their driver; the packages' checkers.
job_packages() {
    case $1 in
    first) echo "$build_packages $virtual_x_packages $web_packages libegl-dev libx11-dev libpng-dev
        libjpeg-dev nlohmann-json3-dev libgtest-dev libbenchmark-dev valgrind nodejs" ;;
    arm) echo "$build_packages g++-aarch64-linux-gnu g++-arm-linux-gnueabihf qemu-user mmdebstrap dpkg-dev file" ;;
    windows) echo "cmake make g++-mingw-w64-x86-64-posix dpkg-dev" ;;
    packages) echo "$(job_packages arm) $(job_packages windows) $web_packages" ;;
    tests) echo "$(job_packages first) $(job_packages packages) chromium firefox-esr npm lintian
        desktop-file-utils man-db unzip clang wine wine64" ;;
    benchmarks) echo "$(job_packages first) chromium firefox-esr npm gnuplot-nox xdotool" ;;
    all) echo "$(job_packages tests) $(job_packages benchmarks)" ;;
    *) return 1 ;;
    esac
}

# What the scripts keep outside the checkout: the ARM builds' target roots,
# and npm's cache and logs.
cache=${XDG_CACHE_HOME:-$HOME/.cache}/textures

# Says why the script cannot go on, in one line, and stops it.
fail() { echo "textures: $*" >&2; exit 1; }

# What every script does first: answers --help or -h with its usage, its
# header comment, and stops with status 2 at an option not among $1.
take_options() {
    local known=" $1 " argument
    shift
    script_arguments=("$@")
    for argument; do
        case $argument in
        -h | --help) usage && exit 0 ;;
        -*) [[ $known == *" $argument "* ]] || bad_usage "no option $argument" ;;
        esac
    done
}
usage() { sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; }
bad_usage() { echo "${0##*/}: $*; --help says what it takes" >&2; exit 2; }

# take_options for a script that takes no option and at most $1 arguments,
# whole numbers.
counts() {
    take_options "" "${@:2}"
    [ $# -le $(($1 + 1)) ] || bad_usage "too many arguments"
    for count in "${@:2}"; do [[ $count =~ ^[1-9][0-9]*$ ]] || bad_usage "$count is no whole number"; done
}

# Sets `missing` to those of the Debian packages $@ that are not installed;
# Node and npm from elsewhere (NodeSource, say) serve as Debian's do.
find_missing() {
    missing=()
    for package in $(printf '%s\n' "$@" | sort -u); do
        [[ $package =~ ^(nodejs|npm)$ ]] && command -v "${package%js}" >/dev/null && continue
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
    done
}

# Installs the packages that the job $1 needs and lacks (those named after
# it, or its whole list): as root, or through sudo and install_packages.sh.
# Run through sudo in the caller's checkout, the script then goes on as the
# caller, so that nothing it makes is root's.
need_job() {
    command -v dpkg-query >/dev/null ||
        { echo "textures: not Debian; carrying on in the hope that it has what the packages give" >&2; return 0; }
    find_missing "${@:2}" $([ $# -gt 1 ] || job_packages "$1")
    if [ ${#missing[@]} -gt 0 ] && [ "$(id -u)" = 0 ]; then
        install_missing
    elif [ ${#missing[@]} -gt 0 ]; then
        echo "textures: missing ${missing[*]}; ./scripts/install_packages.sh ${1/#first} installs them" >&2
        scripts/install_packages.sh ${1/#first} >&2 || exit 1
    fi
    if [ "$(id -u)" = 0 ] && [ "${SUDO_UID:-0}" != 0 ] && [ "$(stat -c %u .)" = "$SUDO_UID" ]; then
        exec runuser -u "$SUDO_USER" -- "scripts/${0##*/}" "${script_arguments[@]}"
    fi
}

# Installs the packages `missing`, as root; where one cannot be had, stops
# with apt's reason.
install_missing() {
    local output why package
    echo "textures: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    # A mirror in the middle of a sync may serve a stale index, which apt
    # leaves out: asked again a little later, it serves a whole one.
    for attempt in 1 2 3; do
        output=$(apt-get update -qq 2>&1 || true)
        output+=$(apt-get install -y -qq "${missing[@]}" 2>&1) && return 0
        [ "$attempt" = 3 ] || { echo "textures: apt failed; trying again in 30 s" >&2; sleep 30; }
    done
    # The first package that cannot be had by itself, and apt's reason.
    for package in "${missing[@]}"; do
        why=$(apt-get install -s -qq "$package" 2>&1 | grep -E '^E: |Depends:|Breaks:|Conflicts:' || true)
        [ -z "$why" ] || fail "cannot install $package: $(head -n 1 <<<"$why" | sed 's/^E: //; s/^ *//')"
    done
    fail "cannot install ${missing[*]}: $(grep -m1 '^E: ' <<<"$output" | sed 's/^E: //')"
}

# The machine's own Debian mirror, as its apt sources name it.
debian_mirror() {
    local mirror
    mirror=$({ cat /etc/apt/sources.list /etc/apt/sources.list.d/*.sources \
        /etc/apt/sources.list.d/*.list 2>/dev/null || true; } |
        sed -n -E 's/^URIs: *([^ ]*\/debian)$/\1/p; s/^deb +(http[^ ]*\/debian) .*/\1/p' | head -n 1)
    echo "${mirror:-http://deb.debian.org/debian}"
}

# The codename of Debian 12 or 13, which its archives' suites are named after.
debian_codename() {
    [[ $1 =~ ^1[23]$ ]] || fail "no Debian release \"$1\" here: 12 or 13"
    [ "$1" = 12 ] && echo bookworm || echo trixie
}

# The npm packages of the browser tests and benchmark, as
# tests/support/package-lock.json pins them, with npm, its cache and logs
# in the cache folder; installed again only when the lock file has changed.
need_node_modules() {
    local lock=tests/support/package-lock.json stamp=tests/support/node_modules/.installed-lock
    cmp -s "$lock" "$stamp" && return 0
    (cd tests/support && npm ci --cache "$cache/npm" --no-audit --no-fund --no-update-notifier >&2)
    cp "$lock" "$stamp"
}

# Runs the command on the display, or on a virtual X server where there is
# none; -noreset, for the server must outlive each client in turn.
on_display() {
    [ -z "${DISPLAY:-}" ] || { "$@"; return; }
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
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
    [ -s "$output" ] || { echo "textures: no first frame; the viewer said:" >&2; cat "$output.errors" >&2; return 1; }
    # The line comes just before the buffers swap; give the swap a moment.
    sleep 0.5
    xwd -silent -name textures | /usr/bin/convert xwd:- "$shot"
}

# Writes standard input into the Markdown file $1 between the lines
# "<!-- $2 -->" and "<!-- /$2 -->", in the place of what was there: the
# docs' measured figures, written by the scripts that measure them.
write_figures() {
    local file=$1 name=$2
    grep -qx "<!-- /$name -->" "$file" || fail "$file has no place for $name"
    FIGURES=$(cat) awk -v name="$name" '
        $0 == "<!-- /" name " -->" { print ENVIRON["FIGURES"]; skip = 0 }
        !skip
        $0 == "<!-- " name " -->" { skip = 1 }' "$file" >"$file.new"
    mv "$file.new" "$file"
}

# Where and when a figure was measured: the date and this machine's
# processor.
measured_on() {
    echo "$(date +%F), $(nproc) cores of $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo |
        head -n 1)"
}
