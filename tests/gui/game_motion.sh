#!/usr/bin/env bash
# A click after a moving hand: the pointer moves over the field at a gaming
# mouse's 1000 reports a second for three seconds, then right-clicks a person
# quarantined beforehand (it stands still, so the click cannot miss). The
# click must show within half a second: mouse moves may not queue up ahead of
# it. VELTRANE_TEST_SEED repeats a run's hand path (each run prints its seed).
source "$(dirname "$0")/lib.sh"
source "$HERE/lib-state.sh"

RATE=${VELTRANE_TEST_HAND_RATE:-1000}
LIMIT=0.5

start_game "$PROBE" VELTRANE_TEST_REPORT="$REPORT"
id=$(find_window) || fail "the game window did not appear"
wait_for 20 bash -c "grep -qs '^person ' '$REPORT' && grep -qs '^resizes [1-9]' '$REPORT'" ||
    fail "no report with persons and a resize"
read -r ox oy w h < <(geometry "$id")
echo "window at $ox,$oy ${w}x${h}"

# Two quarantined persons: the disease may reach one of them during the
# motion, and a person already infected cannot show the click.
targets=()
for _ in 1 2; do
    p=$(pick_person "$w" "$h")
    [ -n "$p" ] || fail "no free person to quarantine"
    click_until 1 "$p" 8 || fail "left clicks never quarantined person $p"
    targets+=("$p")
done
echo "quarantined persons ${targets[*]}"

seed=${VELTRANE_TEST_SEED:-$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}
for p in "${targets[@]}"; do
    read -r px py _ _ inf _ < <(person "$p")
    [ "$inf" = 0 ] || continue
    result=$(python3 "$HERE/x11_hand.py" --field "$ox" "$oy" "$w" "$h" --rate "$RATE" \
        --seconds 3 --seed "$seed" --click 3 "${px%.*}" "${py%.*}" --report "$REPORT" \
        --person "$p" --column 7 --limit 10)
    rc=$?
    echo "right click on person $p after the motion: $result"
    [ "$rc" = 2 ] && continue
    [ "$rc" = 0 ] || fail "the hand failed"
    latency=${result##*latency=}
    rate=$(sed -n 's/.* rate=\([0-9]*\).*/\1/p' <<<"$result")
    # A hand far slower than asked tests less than it claims.
    [ "$rate" -ge $(( RATE / 2 )) ] || fail "the hand reached only $rate reports a second"
    [ "$latency" != none ] || fail "the click took no effect within 10 s"
    awk -v l="$latency" -v m="$LIMIT" 'BEGIN {exit !(l <= m)}' ||
        fail "the click took effect after $latency s, more than $LIMIT s"
    # The hand moved the game's pointer, not just the screen's.
    moves=$(sed -n 's/.* moves=\([0-9]*\).*/\1/p' <<<"$result")
    [ "${moves:-0}" -gt 0 ] || fail "no mouse move reached the game"
    echo "PASS"
    exit 0
done
fail "the disease reached every quarantined person before the click"
