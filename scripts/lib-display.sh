# Sourced by the scripts: a private Xvfb for the window tests, stopped on exit.
# Extra arguments go to Xvfb (for example -extension GLX).
# The server picks a free display itself (-displayfd) and names it only once
# it accepts connections, so parallel starts cannot take the same number.
start_private_xvfb() {
    local out
    out=$(mktemp)
    # -noreset: by default the server starts over whenever its last client
    # leaves, and refuses connections meanwhile, so a client arriving just
    # then (a test's next step, a window manager) was turned away.
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp "$@" 3>"$out" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        if grep -q '^[0-9][0-9]*$' "$out" 2>/dev/null; then
            export DISPLAY=":$(head -n 1 "$out")"
            rm -f "$out"
            # Named, and then taking connections.
            for _ in $(seq 50); do
                xdpyinfo >/dev/null 2>&1 && return 0
                sleep 0.1
            done
            echo "Xvfb on $DISPLAY takes no connections" >&2
            kill "$XVFB_PID" 2>/dev/null
            XVFB_PID=""
            return 1
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$out"
    kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
    echo "could not start Xvfb" >&2
    return 1
}

stop_private_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    return 0
}
