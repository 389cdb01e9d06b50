# Helpers shared by the scripts; sourced, not run.

# The Debian packages each task needs, all named here; the scripts that
# install a list are named after it. What the program needs of its system:
# freeglut, GLU and OpenGL (Mesa), which scripts/target_root.sh also
# unpacks for the ARM builds.
gl_packages="libglut-dev libglu1-mesa-dev libgl1-mesa-dri"
# Packages every build needs: those, the compiler, CMake, and lowdown and
# gzip, which make the manual page (run.sh, install_packages.sh, test.sh,
# package.sh, screenshots.sh, bench.sh, web_bench.sh).
build_packages="cmake make g++ $gl_packages lowdown gzip"
# What a run without a display needs: a virtual X server and screenshots
# (run.sh, install_packages.sh, test.sh, screenshots.sh, bench.sh,
# web_bench.sh, fresh_debian.sh --deb).
virtual_x_packages="xvfb xauth x11-apps imagemagick"
# What the tests and benchmarks need besides both of those
# (install_packages.sh, test.sh, bench.sh, web_bench.sh).
test_packages="libegl-dev libx11-dev libpng-dev libjpeg-dev nlohmann-json3-dev libgtest-dev libbenchmark-dev
    valgrind"
# What the page's build needs besides CMake and make: Emscripten, terser,
# which shortens its script, and Python, whose server serves it
# (install_packages.sh, web.sh).
web_packages="emscripten terser python3"
# The browsers the web tests and benchmark drive (test.sh, web_bench.sh).
browser_packages="chromium firefox-esr"
# The tools the package tests check the packages with (test.sh).
package_check_packages="lintian desktop-file-utils man-db unzip"
# What the benchmarks need besides the tests': gnuplot, which draws their
# charts, and Python, which writes their tables (bench.sh).
bench_packages="gnuplot-nox python3"
# What types the keys for the screenshots (screenshots.sh).
screenshot_packages="xdotool"
# Clang, which builds the clang variant (test.sh).
clang_packages="clang"
# Wine, which runs the Windows zip's tests (test.sh).
wine_packages="wine wine64"
# What the Windows build needs besides CMake and make: MinGW-w64, and
# dpkg-dev, whose dpkg-source unpacks freeglut's source package
# (windows.sh).
windows_packages="g++-mingw-w64-x86-64-posix dpkg-dev"
# What reads a .deb's dependencies off its binary: dpkg-shlibdeps
# (dpkg-dev), and file (package.sh).
deb_packages="dpkg-dev file"
# mmdebstrap, which unpacks a Debian system: the ARM builds' target roots
# (scripts/target_root.sh) and fresh_debian.sh's fresh roots.
bootstrap_packages="mmdebstrap"
# qemu-user, which runs ARM programs here (fresh_debian.sh --deb).
emulator_packages="qemu-user"
# What the ARM builds need: the cross compilers, qemu-user and mmdebstrap
# (package.sh, test.sh).
cross_packages="g++-aarch64-linux-gnu g++-arm-linux-gnueabihf $emulator_packages $bootstrap_packages"

# Says why the script cannot go on, in one line, and stops it.
fail() {
    echo "textures: $*" >&2
    exit 1
}

# Installs whichever of the named Debian packages are missing; where one
# cannot be had, stops with apt's reason.
need_packages() {
    if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
        echo "textures: installing packages works on Debian only; carrying on in the hope" \
            "that this system has what these packages give: $*" >&2
        return 0
    fi
    local missing=() package output why
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    [ "$(id -u)" = 0 ] || fail "installing ${missing[*]} needs root: run this as root (or with sudo)"
    echo "textures: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    # A mirror in the middle of a sync serves a stale index now and then,
    # which apt leaves out, and the packages it lists are then not to be
    # had: asked again a little later, the mirror serves a whole one.
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

# The codename of the Debian release $1, 12 or 13, which its archives'
# suites are named after.
debian_codename() {
    case $1 in
    12) echo bookworm ;;
    13) echo trixie ;;
    *) fail "no Debian release \"$1\" here: 12 or 13" ;;
    esac
}

# Node.js, which the tests need: Debian's, unless the machine has its own.
need_node() {
    command -v node >/dev/null || need_packages nodejs
}

# The npm packages of the browser tests and benchmark, as
# tests/support/package-lock.json pins them, with npm; installed again only
# when the lock file has changed since.
need_node_modules() {
    local lock=tests/support/package-lock.json stamp=tests/support/node_modules/.installed-lock
    need_node
    command -v npm >/dev/null || need_packages npm
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
