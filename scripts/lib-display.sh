# Sourced by the scripts: a private Xvfb for the window tests, stopped on exit.
# Extra arguments go to Xvfb (for example -extension GLX).
start_private_xvfb() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
        Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp "$@" >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X${n}" ] && break
            sleep 0.1
        done
        if kill -0 "$XVFB_PID" 2>/dev/null; then
            export DISPLAY=":${n}"
            return 0
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}

stop_private_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    return 0
}
