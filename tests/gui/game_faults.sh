#!/usr/bin/env bash
# What a real desktop does to the game: its X server goes away, another client
# destroys its window or kills its connection, there is no display at all, or
# the display (or the system) has no GLX. Each case with an X server of its own.
# Arguments: GAME PROBE RUNNER CASE
source "$(dirname "$0")/lib.sh"
source "$HERE/../../scripts/lib-display.sh"
CASE=${4:?which case}

trap 'cleanup; stop_private_xvfb' EXIT
REPORT="$WORK/report"
MESSAGES="$WORK/messages"
value() { awk -v k="$1" '$1 == k {$1 = ""; sub(/^ /, ""); print; exit}' "$REPORT" 2>/dev/null; }

# Milliseconds since the fault, for the record.
since_fault() { echo $(( ($(date +%s%N) - FAULT_NS) / 1000000 )); }

# CPU ticks (user + system) the game has used so far; empty once it is gone.
# An ended game that is not reaped yet counts as gone.
cpu_ticks() { awk '$3 != "Z" {print $14 + $15}' "/proc/$GAME_PID/stat" 2>/dev/null; }

# Starts the probe build on a fresh private server and waits until it plays.
start_playing() {
    start_probe "$@"
    id=$(find_window) || fail "the game window did not appear"
}
start_probe() {
    start_private_xvfb "$@" || fail "no private X server"
    start_game "$PROBE" VELTRANE_TEST_REPORT="$REPORT" VELTRANE_TEST_MESSAGES="$MESSAGES" "${EXTRA_ENV[@]}"
}
EXTRA_ENV=()

wait_frames() {
    for _ in $(seq 100); do
        [ "$(value passes)" -gt 50 ] 2>/dev/null && return 0
        sleep 0.1
    done
    fail "the game does not run: $(value passes) passes"
}

# expect_lost_connection SECONDS: exit 1 at once, with the one line, and no
# CPU burnt on the way out (a spinning loop shows up in the ticks).
expect_lost_connection() {
    local before=$1 last=$1 now ended=""
    for _ in $(seq 100); do
        now=$(cpu_ticks)
        [ -z "$now" ] && { ended=$(since_fault); break; }
        last=$now
        sleep 0.02
    done
    [ -n "$ended" ] || fail "still running 2 s after the fault"
    wait_exit 1
    echo "exit status $EXIT_STATUS within $ended ms; CPU ticks from the fault to the end: $(( last - before ))"
    [ "$EXIT_STATUS" = 1 ] || fail "exit status $EXIT_STATUS, wanted 1 within 2 s"
    [ $(( last - before )) -le 10 ] || fail "$(( last - before )) ticks of CPU after the fault"
    grep -qx "Veltrane_probe: lost the connection to the X display $DISPLAY" "$WORK/game.log" ||
        fail "no line about the lost connection"
    [ "$(grep -c . "$WORK/game.log")" = 1 ] || fail "more than the one line on standard error"
}

# Dismisses the next message box with Enter once its text is logged.
dismiss_box() {
    local text=$1 n=$2 box=""
    for _ in $(seq 100); do
        [ "$(grep -c . "$MESSAGES" 2>/dev/null || echo 0)" -ge "$n" ] && break
        sleep 0.1
    done
    [ "$(sed -n "${n}p" "$MESSAGES" 2>/dev/null)" = "$text" ] ||
        fail "box $n says '$(sed -n "${n}p" "$MESSAGES" 2>/dev/null)', wanted '$text'"
    for _ in $(seq 100); do
        box=$(command xdotool search --onlyvisible --name '^Veltrane$' 2>/dev/null | head -n 1)
        [ -n "$box" ] && break
        sleep 0.1
    done
    [ -n "$box" ] || fail "box '$text' is not on screen"
    echo "box $n on screen: $text"
    sleep 0.2
    xdotool key Return
    for _ in $(seq 50); do
        command xdotool search --onlyvisible --name '^Veltrane$' >/dev/null 2>&1 || return 0
        [ "$(grep -c . "$MESSAGES")" -gt "$n" ] && return 0
        sleep 0.1
    done
    fail "box '$text' did not go away"
}

# No pixel format: both boxes with their texts (while the window is being
# created, so before it shows), then a window and a game that keeps running
# without drawing and closes normally.
expect_pixel_format_refused() {
    dismiss_box "ChoosePixelFormat failed." 1
    dismiss_box "GetLastError: 2000" 2
    id=$(find_window) || fail "the game window did not appear after the boxes"
    echo "window $id is on screen"
    # Nothing to simulate or draw: the program waits for messages, alive
    # and idle, until it is closed.
    local before
    before=$(cpu_ticks)
    sleep 1
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended after the boxes"
    echo "CPU ticks over a second after the boxes: $(( $(cpu_ticks) - before ))"
    [ $(( $(cpu_ticks) - before )) -le 20 ] || fail "the game spins without a picture"
    [ "$(grep -c . "$MESSAGES")" = 2 ] || fail "more boxes: $(cat "$MESSAGES")"
    close_window "$id" || fail "could not send the close request"
    wait_exit 10
    [ "$EXIT_STATUS" = 0 ] || fail "exit status after closing: $EXIT_STATUS"
    echo "closed with status 0 after $(value passes) passes"
}

case $CASE in
lost_display)
    start_playing
    wait_frames
    before=$(cpu_ticks)
    FAULT_NS=$(date +%s%N)
    kill -KILL "$XVFB_PID"
    { wait "$XVFB_PID"; } 2>/dev/null
    XVFB_PID=""
    expect_lost_connection "$before"
    ;;
killed_connection)
    # xkill and xdotool windowkill end the connection, not the window: to the
    # game that is a lost connection like any other.
    start_playing
    wait_frames
    before=$(cpu_ticks)
    FAULT_NS=$(date +%s%N)
    command xdotool windowkill "$id"
    expect_lost_connection "$before"
    ;;
destroyed_window)
    start_playing
    wait_frames
    FAULT_NS=$(date +%s%N)
    command xdotool windowclose "$id"
    ended=""
    for _ in $(seq 100); do
        [ -z "$(cpu_ticks)" ] && { ended=$(since_fault); break; }
        sleep 0.02
    done
    [ -n "$ended" ] || fail "still running 2 s after the window was destroyed"
    wait_exit 1
    [ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS, wanted 0"
    echo "ended within $ended ms"
    # The control's destroy event ran once, with the context current, and freed
    # the game.
    [ "$(value destroys)" = "1 1" ] || fail "destroy report: $(value destroys)"
    [ ! -s "$WORK/game.log" ] || fail "unexpected output"
    echo "exit status 0; destroys $(value destroys)"
    ;;
no_display)
    env -u DISPLAY "$GAME" >"$WORK/game.log" 2>&1
    rc=$?
    [ "$rc" = 1 ] && grep -qx "Veltrane: cannot open the X display (DISPLAY is not set)" "$WORK/game.log" ||
        fail "without DISPLAY: status $rc"
    free=""
    for n in $(seq 97 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || { free=$n; break; }
    done
    DISPLAY=":$free" "$GAME" >"$WORK/game.log" 2>&1
    rc=$?
    [ "$rc" = 1 ] && grep -qx "Veltrane: cannot open the X display :$free" "$WORK/game.log" ||
        fail "with DISPLAY=:$free: status $rc"
    echo "status 1 and the message, with no DISPLAY and with :$free"
    ;;
no_glx)
    start_probe -extension GLX
    expect_pixel_format_refused
    ;;
no_libgl)
    # A library directory of our own in front of the system's, whose
    # libGL.so.1 cannot be loaded: as if the system had none.
    mkdir -p "$WORK/lib"
    : >"$WORK/lib/libGL.so.1"
    EXTRA_ENV=(LD_LIBRARY_PATH="$WORK/lib")
    start_probe
    expect_pixel_format_refused
    ;;
*)
    fail "unknown case $CASE"
    ;;
esac
echo "PASS"
