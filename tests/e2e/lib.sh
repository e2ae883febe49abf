# Shared set-up for the end-to-end tests: a private X server, a tray host and a session bus.
# Source it; call e2e_start_display, then e2e_start_tray / e2e_start_bus as needed.
# A test that cannot start Xvfb exits 77, which CTest reports as skipped.

E2E_ARTIFACTS=${E2E_ARTIFACTS:-$(pwd)/artifacts}
mkdir -p "$E2E_ARTIFACTS"
E2E_PIDS=()

# Stops what the test started, newest first, so that clients go before the X server. A
# process that has not ended five seconds after SIGTERM gets SIGKILL: a test must not hang in
# its clean-up until CTest's timeout.
e2e_running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [[ $state != Z* ]] # a child that has ended stays a zombie until it is waited for
}
e2e_cleanup() {
    local i pid n
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        kill "$pid" 2>/dev/null || continue
        for n in $(seq 1 50); do
            e2e_running "$pid" || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap e2e_cleanup EXIT

e2e_skip() {
    echo "SKIP: $*"
    exit 77
}

# e2e_require TOOL...: skips the test when a tool it drives is not installed.
e2e_require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || e2e_skip "$tool is not installed"
    done
}

# wait_until COMMAND...: retries for up to ten seconds.
wait_until() {
    local i
    for i in $(seq 1 100); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

e2e_start_display() {
    command -v Xvfb >/dev/null || e2e_skip "Xvfb is not installed"
    # A random display number, not the lowest free one: a server that a previous test has
    # just stopped may still be removing its socket, which would take a new server's socket
    # of the same number with it. Random numbers also keep side-by-side runs apart.
    local attempt n pid i
    for attempt in $(seq 1 10); do
        n=$((100 + RANDOM % 900))
        [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
        # -noreset: by default the server resets when its last client disconnects, and a
        # client that connects during that reset is accepted and then dropped ("could not
        # connect to display"). The readiness probe below is such a last client.
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        pid=$!
        for i in $(seq 1 50); do
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                E2E_PIDS+=("$pid")
                export DISPLAY=":$n"
                unset QT_QPA_PLATFORM
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    e2e_skip "Xvfb did not start"
}

e2e_start_tray() {
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
        --transparent false >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    sleep 1
}

# Starts a private session bus for this test and exports its address. The bus and the
# services it starts (xfconfd for xfce4-panel) get no descriptor of the test's output: one of
# them outliving the test would keep CTest waiting for the end of that output.
e2e_start_bus() {
    eval "$(dbus-launch --sh-syntax </dev/null 2>/dev/null)"
    E2E_PIDS+=("$DBUS_SESSION_BUS_PID")
}

# e2e_screenshot NAME: saves the whole screen as $E2E_ARTIFACTS/NAME.png with the image tool
# the tests build ($E2E_IMAGE_TOOL); without it, no screenshot.
e2e_screenshot() {
    [[ -x ${E2E_IMAGE_TOOL:-} ]] || return 0
    "$E2E_IMAGE_TOOL" grab "$E2E_ARTIFACTS/$1.png" >/dev/null 2>&1 || true
}

# Lines "ID X Y W H" for every viewable window of the program (needs xdotool and xwininfo).
e2e_kalvoren_windows() {
    local id info
    for id in $(xdotool search --class kalvoren 2>/dev/null); do
        info=$(xwininfo -id "$id" 2>/dev/null) || continue
        grep -q 'Map State: IsViewable' <<<"$info" || continue
        awk -v id="$id" '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
            /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print id, x, y, w, h}' <<<"$info"
    done
}

# The tray icon, "ID X Y W H": a small viewable window of the program.
e2e_tray_icon() { e2e_kalvoren_windows | awk '$4 <= 48 && $5 <= 48' | head -n 1; }

# e2e_wait_for_window NAME [SECONDS]: waits until a window with that title is mapped.
e2e_wait_for_window() {
    local name=$1 seconds=${2:-10} i
    for i in $(seq 1 $((seconds * 10))); do
        xdotool search --onlyvisible --name "$name" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
