#!/usr/bin/env bash
# Any X client may send our windows events. For 30 s (VELTRANE_TEST_FLOOD_SECONDS)
# another client sends the game's top-level and child windows synthetic events
# of every core type with random contents (x11_flood.py), leaving out only the
# two that end a program by design. Meanwhile the game must stay up and its
# memory bounded; afterwards a click must still take effect within 0.5 s, and
# the game must close cleanly, with nothing from a sanitizer in its output.
# Each run prints its seed; VELTRANE_TEST_SEED repeats one. The events sent
# are logged; on failure the log is kept as gui_flood-events.log in the
# working folder (x11_flood.py --replay sends it again). VELTRANE_TEST_FLOOD_SKIP
# names event types to leave out, to look past one known fault for the next.
source "$(dirname "$0")/lib.sh"
source "$HERE/lib-state.sh"

DURATION=${VELTRANE_TEST_FLOOD_SECONDS:-30}
# Events a second: a flood, yet within what a queue that merges mouse moves
# works off at the game's 60 passes a second.
RATE=${VELTRANE_TEST_FLOOD_RATE:-500}
# Growth beyond this over the size the game had before the flood counts as
# unbounded. The sanitizer keeps freed memory aside for a while (256 MB by
# default, which alone looks like growth): a smaller quarantine keeps the
# bound tight, and the game's own size stays flat under the flood.
GROWTH_LIMIT_KB=$(( 128 * 1024 ))
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}:quarantine_size_mb=32
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

sanitizer_said() {
    grep -aE 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: [A-Za-z]+Sanitizer' "$WORK/game.log"
}
flood_fail() {
    echo "last events sent:" >&2
    tail -n 5 "$WORK/flood.log" 2>/dev/null | cut -c1-200 | sed 's/^/  /' >&2
    cp "$WORK/flood.log" gui_flood-events.log 2>/dev/null &&
        echo "all events sent: $PWD/gui_flood-events.log" >&2
    fail "$@"
}

start_game "$PROBE" VELTRANE_TEST_REPORT="$REPORT"
id=$(find_window) || fail "the game window did not appear"
wait_for 20 bash -c "grep -qs '^person ' '$REPORT' && grep -qs '^resizes [1-9]' '$REPORT'" ||
    fail "no report with persons and a resize"
mapfile -t windows < <(xwininfo -tree -id "$id" | awk -v top="$id" 'BEGIN {print top} $1 ~ /^0x/ {print $1}')
echo "windows: ${windows[*]}"
[ "${#windows[@]}" -ge 2 ] || fail "the game has no child window"

rss() { awk '$1 == "VmRSS:" {print $2}' "/proc/$GAME_PID/status" 2>/dev/null; }
sleep 1
before=$(rss)
passes_before=$(value passes)

seed=${VELTRANE_TEST_SEED:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}
python3 "$HERE/x11_flood.py" --windows "${windows[@]}" --seconds "$DURATION" --rate "$RATE" --seed "$seed" \
    --log "$WORK/flood.log" ${VELTRANE_TEST_FLOOD_SKIP:+--skip $VELTRANE_TEST_FLOOD_SKIP} \
    >"$WORK/flood.out" 2>&1 &
flood=$!
peak=$before
while kill -0 "$flood" 2>/dev/null; do
    if ! kill -0 "$GAME_PID" 2>/dev/null; then
        wait "$GAME_PID"
        status=$?
        GAME_PID=""
        kill "$flood" 2>/dev/null
        flood_fail "the game ended during the flood (status $status, seed $seed)"
    fi
    now=$(rss)
    [ -n "$now" ] && [ "$now" -gt "$peak" ] && peak=$now
    if [ "$(( peak - before ))" -gt "$GROWTH_LIMIT_KB" ]; then
        kill "$flood" 2>/dev/null
        flood_fail "memory grew from $before kB to $peak kB during the flood (seed $seed)"
    fi
    sleep 0.5
done
wait "$flood" || fail "the flood client failed: $(cat "$WORK/flood.out")"
sed 's/^/flood: /' "$WORK/flood.out"
echo "memory: $before kB before, at most $peak kB during the flood"
sanitizer_said >/dev/null && flood_fail "sanitizer report during the flood (seed $seed)"
kill -0 "$GAME_PID" 2>/dev/null || flood_fail "the game ended with the flood (seed $seed)"
[ "$(value passes)" -gt "$passes_before" ] || fail "the game stopped running"

# Still answering a player: a left click on a free person shows within 0.5 s.
# A moving person may walk out from under the cursor, which is a miss, not
# a slow click; the slowest are chosen, the dead counting as still.
read -r ox oy w h < <(geometry "$id")
done_click=""
for _ in $(seq 6); do
    p=$(pick_person "$w" "$h" any)
    [ -n "$p" ] || fail "no free person left to click"
    read -r px py _ < <(person "$p")
    result=$(python3 "$HERE/x11_hand.py" --field "$ox" "$oy" "$w" "$h" --seconds 0 \
        --click 1 "${px%.*}" "${py%.*}" --report "$REPORT" --person "$p" --column 8 --limit 2)
    rc=$?
    echo "left click on person $p after the flood: $result"
    [ "$rc" = 0 ] || [ "$rc" = 2 ] || fail "the hand failed"
    latency=${result##*latency=}
    case $latency in
        none | void) continue ;;
    esac
    awk -v l="$latency" 'BEGIN {exit !(l <= 0.5)}' ||
        fail "after the flood a click took $latency s to show"
    done_click=yes
    break
done
[ -n "$done_click" ] || fail "no click took effect after the flood"

close_window "$id" || fail "could not send the close request"
wait_exit 30
[ "$EXIT_STATUS" = 0 ] || flood_fail "exit status after closing: $EXIT_STATUS (seed $seed)"
sanitizer_said && flood_fail "sanitizer report (seed $seed)"
echo "PASS"
