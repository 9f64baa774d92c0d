#!/usr/bin/env bash
# The built application on a virtual display with the built micom service
# and the sample database: real clicks open the control-option screen, and
# after its 2 s refresh change "Ice maker" (option 2, the third row of the
# main list) to "Not installed" in the sub list and tap "Save Option" (the
# last row, reached by scrolling the main list with the mouse wheel). On the
# key store (panel-keys watch, each line stamped when it arrives) the empty
# text and all 13 option keys come before "SET_OPTION_01", and the 13
# commands follow in ascending order about 0.1 s apart; the micom takes the
# changed byte.
source "$(dirname "$0")/lib.sh"

row_height=52   # rows of the "engineer" list style (THEMES.md)
main_x=270      # the main list: 500 x 500 at (20, 650)
sub_x=780       # the sub list: 500 x 500 at (530, 650)
row_y() { echo $((650 + $1 * row_height + row_height / 2)); }

start_display
start_micom_service
before_byte=$("$bin/panel-keys" get db/refrigerator/RefOption03)

keys=(memory/refrigerator/TxMessage)
for n in 01 02 03 04 05 06 07 08 09 10 11 12 13; do keys+=("db/refrigerator/RefOption$n"); done
"$bin/panel-keys" watch "${keys[@]}" \
  > >(while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done >"$work/watch.log") \
  2>"$work/watch.err" &
pids+=($!)

start_test_view

# The control-option button: 210 x 60 at (450, 1455).
xdotool mousemove 555 1485 click 1
wait_for "$work/app.log" "Option List update" 5 || fail "the control-option screen did not open"
wait_for "$work/app.log" "onOptionAllSavedCb" 6 || fail "no refresh after opening"
sleep 0.5

xdotool mousemove "$main_x" "$(row_y 2)" click 1
wait_for "$work/app.log" "main clicked: 2$" 5 || fail "the tap did not reach the Ice maker row"
wait_for "$work/app.log" "sub clicked: 1" 5 || fail "the sub list did not select the current value"
xdotool mousemove "$sub_x" "$(row_y 0)" click 1
wait_for "$work/app.log" "sub clicked: 0" 5 || fail "the tap did not reach the value row"

# Scroll the main list to its end; its last row then fills the bottom 52 px.
xdotool mousemove "$main_x" 900
xdotool click --repeat 40 --delay 20 5
sleep 1.5
import -window root "$work/scrolled.png" 2>/dev/null || true
clicked=$EPOCHREALTIME
xdotool mousemove "$main_x" $((650 + 500 - row_height / 2)) click 1
wait_for "$work/app.log" "main clicked: 1000" 5 || fail "the tap did not reach the Save Option row"
wait_for "$work/watch.log" "TxMessage=SET_OPTION_13" 10 || fail "the save series did not end"
sleep 0.5

# The writes from the tap on, as "TIME KEY=VALUE".
mapfile -t writes < <(awk -v t="$clicked" '$1 >= t' "$work/watch.log")
((${#writes[@]} == 27)) || fail "${#writes[@]} writes after the tap, not 27: ${writes[*]}"
value_of() { echo "${writes[$1]#* }"; }
time_of() { echo "${writes[$1]%% *}"; }
# A watcher reads a value when its notification runs: a late notification
# of the empty text may already show the first command.
[[ $(value_of 0) == "memory/refrigerator/TxMessage=" || $(value_of 0) == "memory/refrigerator/TxMessage=SET_OPTION_01" ]] \
  || fail "first write: $(value_of 0)"
for k in $(seq 1 13); do
  [[ $(value_of "$k") == "db/refrigerator/RefOption$(printf %02d "$k")="* ]] \
    || fail "write $k is not RefOption$(printf %02d "$k") before the commands: $(value_of "$k")"
done
previous=""
for i in $(seq 14 26); do
  [[ $(value_of "$i") == memory/refrigerator/TxMessage=SET_OPTION_* ]] || fail "write $i: $(value_of "$i")"
  [[ ! $(value_of "$i") < $previous ]] || fail "commands out of order: $previous then $(value_of "$i")"
  previous=$(value_of "$i")
done
[[ $previous == "memory/refrigerator/TxMessage=SET_OPTION_13" ]] || fail "last command: $previous"
# The commands leave 0.1 s apart: the last no sooner than 1.3 s after the
# tap, all of them within a few seconds.
awk -v a="$clicked" -v f="$(time_of 14)" -v l="$(time_of 26)" 'BEGIN {
  printf "first command %.2f s after the tap, last %.2f s, mean gap %.3f s\n", f - a, l - a, (l - f) / 12
  exit !(l - a >= 1.3 && l - a < 5 && (l - f) / 12 >= 0.07 && (l - f) / 12 <= 0.3) }' \
  || fail "the commands were not about 0.1 s apart"

# Option 2 is bit 1 of RefOption03: cleared, and taken by the micom.
expected=$((before_byte & ~2))
[[ $(value_of 3) == "db/refrigerator/RefOption03=$expected" ]] || fail "RefOption03: $(value_of 3), expected $expected"
wait_for "$work/micom.log" "option byte 3 := $expected" 5 || fail "the micom did not take byte 3"
grep -c "received SET_OPTION_" "$work/micom.log" | grep -qx 13 || fail "the micom did not receive 13 commands"

xdotool key Escape
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill -0 "$app" 2>/dev/null && fail "back did not end the directly launched app"
wait "$app" || true
echo "e2e control option: ok"
