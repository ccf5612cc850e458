# Shared by the end-to-end scripts: start the game, find its window, read its
# caption and geometry, click, close. Every wait is bounded.
# Arguments of every script: GAME PROBE RUNNER (RUNNER is wine-run or empty).
set -uo pipefail

GAME=$1
PROBE=$2
RUNNER=${3:-}
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
TITLE="Veltrane Game (by Tarvosk) version 0.11"
WORK=$(mktemp -d)
GAME_PID=""

fail() {
    echo "FAIL: $*" >&2
    [ -f "$WORK/game.log" ] && sed 's/^/game: /' "$WORK/game.log" >&2
    [ -f "$WORK/report" ] && head -n 7 "$WORK/report" | sed 's/^/report: /' >&2
    exit 1
}

cleanup() {
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

# A loaded X server refuses a connection now and then (EAGAIN): every X tool
# is tried again for a moment before its failure counts.
retry_x() {
    local rc
    for _ in $(seq 20); do
        command "$@" && return 0
        rc=$?
        sleep 0.05
    done
    return "$rc"
}
xdotool() { retry_x xdotool "$@"; }
xprop() { retry_x xprop "$@"; }
xwininfo() { retry_x xwininfo "$@"; }
xdpyinfo() { retry_x xdpyinfo "$@"; }
import() { retry_x import "$@"; }

[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || {
    echo "no X display: run under Xvfb (scripts/test starts one)" >&2
    exit 1
}

on_wine() { [ -n "$RUNNER" ]; }

# start_game BINARY [VAR=VALUE ...]
start_game() {
    local bin=$1
    shift
    if on_wine; then
        env "$@" "$RUNNER" "$bin" >"$WORK/game.log" 2>&1 &
    else
        env "$@" "$bin" >"$WORK/game.log" 2>&1 &
    fi
    GAME_PID=$!
}

# Prints the X id of the game's top-level window once it is viewable.
find_window() {
    local id
    for _ in $(seq 300); do
        id=$(command xdotool search --onlyvisible --name "^Veltrane Game" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$GAME_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

caption() { xprop -id "$1" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME([A-Z_]*) = "\(.*\)"$/\1/p'; }

# geometry ID -> "X Y W H" of the window's client area on the screen
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                              /^  Width/ {w=$NF} /^  Height/ {h=$NF} END {print x, y, w, h}'
}

screen_size() { xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]; exit}'; }

# Waits up to $1 seconds for the game to end; sets EXIT_STATUS (or "timeout").
# Not in a subshell: only the shell that started the game can wait for it.
wait_exit() {
    local limit=$(( $1 * 10 ))
    EXIT_STATUS=timeout
    for _ in $(seq "$limit"); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            wait "$GAME_PID"
            EXIT_STATUS=$?
            GAME_PID=""
            return 0
        fi
        sleep 0.1
    done
}

close_window() { python3 "$HERE/x11_close.py" "$1"; }

# Captures the game's picture as PNG: the client area of the screen natively;
# under Wine the control's GL window, which Wine keeps off screen.
capture_client() {
    local id=$1 out=$2 x y w h
    read -r x y w h < <(geometry "$id")
    if on_wine; then
        local child
        child=$(xwininfo -root -tree | awk -v s="${w}x${h}+0+0" '$0 ~ "\\(has no name\\)" && index($0, s) {print $1}' | tail -n 1)
        [ -n "$child" ] || return 1
        import -window "$child" "$out"
    else
        import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
    fi
}

# pixel PNG X Y -> "R G B"
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}
