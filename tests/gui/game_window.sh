#!/usr/bin/env bash
# The game's window: caption, then the frame rate in it; client size and
# centring; closing it ends the program with status 0.
source "$(dirname "$0")/lib.sh"

start_game "$GAME"
id=$(find_window) || fail "the game window did not appear"

# The first caption is the resource's; the rate follows after a second.
first=$(caption "$id")
echo "first caption: $first"
if on_wine; then
    # Wine maps the window late (no window manager), so the first second may be gone.
    [[ "$first" == "$TITLE" || "$first" =~ ^"$TITLE. FPS: "[0-9]+$ ]] || fail "caption '$first'"
else
    [ "$first" = "$TITLE" ] || fail "first caption is '$first'"
fi
# The first period counts from the form's creation, so a slow start (Wine's
# first frame can come seconds later) may show 0 at first; the next periods
# must show frames.
rate=""
for _ in $(seq 150); do
    c=$(caption "$id")
    if [[ "$c" =~ ^"$TITLE. FPS: "([0-9]+)$ ]]; then
        [ -z "$rate" ] && echo "first frame rate shown: ${BASH_REMATCH[1]}"
        rate=${BASH_REMATCH[1]}
        [ "$rate" -ge 1 ] && break
    fi
    sleep 0.1
done
[ -n "$rate" ] || fail "no frame rate in the caption after 15 s: '$c'"
echo "frame rate shown: $rate"
[ "$rate" -ge 1 ] || fail "frame rate still $rate after 15 s"

read -r x y w h < <(geometry "$id")
read -r sw sh < <(screen_size)
echo "client ${w}x${h} at $x,$y on ${sw}x${sh}"
[ "$w" = 792 ] && [ "$h" = 673 ] || fail "client area ${w}x${h}"
dx=$(( 2 * x + w - sw )); dx=${dx#-}
[ "$dx" -le 2 ] || fail "not centred horizontally: x=$x"
# The whole window is centred, as Windows does it: the client area sits lower by
# about half the title bar's height, where the platform reserves one.
dy=$(( 2 * y + h - sh ))
[ "$dy" -ge -2 ] && [ "$dy" -le 80 ] || fail "not centred vertically: y=$y"

close_window "$id" || fail "could not send the close request"
wait_exit 20
[ "$EXIT_STATUS" = 0 ] || fail "exit status after closing: $EXIT_STATUS"
echo "PASS"
