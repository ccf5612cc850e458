#!/usr/bin/env bash
# A picture of the game in play, for the README: a few persons quarantined,
# a few infected, the outbreak under way. The native build writes it into the
# build folder, or where VELTRANE_SCREENSHOT says (docs/screenshot.png for the README).
source "$(dirname "$0")/lib.sh"
OUT="${VELTRANE_SCREENSHOT:-$PWD/screenshot.png}"
REPORT="$WORK/report"

start_game "$PROBE" VELTRANE_TEST_REPORT="$REPORT"
id=$(find_window) || fail "the game window did not appear"
for _ in $(seq 200); do grep -q '^person ' "$REPORT" 2>/dev/null && break; sleep 0.1; done
read -r ox oy w h < <(geometry "$id")

# The slowest persons are the easiest to hit: quarantine some, infect others.
n=0
while read -r x y; do
    n=$((n + 1))
    button=1
    [ $((n % 3)) = 0 ] && button=3
    xdotool mousemove $((ox + ${x%.*})) $((oy + ${y%.*})) sleep 0.05 click "$button"
done < <(awk '$1 == "person" && $3 > 20 && $4 > 20 {print $6, $3, $4}' "$REPORT" | sort -n | head -n 9 | cut -d' ' -f2-)

# Long enough for patient zero, a few infections and the first bodies.
sleep 10
capture_client "$id" "$WORK/shot.png" || fail "no screenshot"
colours=$(convert "$WORK/shot.png" -format '%k' info:)
echo "screenshot with $colours colours"
[ "$colours" -ge 3 ] || fail "the picture is nearly empty ($colours colours)"
if ! on_wine; then
    mkdir -p "$(dirname "$OUT")"
    cp "$WORK/shot.png" "$OUT"
    echo "wrote $(cd "$(dirname "$OUT")" && pwd)/screenshot.png"
fi
close_window "$id"
wait_exit 20
[ "$EXIT_STATUS" = 0 ] || fail "exit status after closing: $EXIT_STATUS"
echo "PASS"
