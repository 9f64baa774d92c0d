#!/usr/bin/env bash
# The built application on a virtual display, driven by real clicks and key
# presses: the settings screen opened from the main menu, the Wi-Fi Direct
# 5G switch flipped (the key seen changed with panel-keys), a refused
# ShelfPeek write told by a status notification, an equalizer product model
# chosen and saved, the partition switch confirmed, and back returning to
# the main menu with one press.
source "$(dirname "$0")/lib.sh"

keys=$bin/panel-keys
WIFI=db/wifi/wifi_direct_prefer_5g
SHELF=db/webservice/ShelfPeekImageToServer
MODEL=db/audio/volume/sorvaeq/product_model
PARTITION=memory/developer/reqPartitionSwitch

start_display
"$keys" set $WIFI 0 --type bool
"$keys" set $SHELF 1 --type int
"$keys" readonly $SHELF on
"$keys" set $MODEL NUVR1_0_T_TYPE
"$keys" watch $WIFI $SHELF $MODEL $PARTITION >"$work/watch.log" 2>&1 &
pids+=($!)

"$bin/engineer-mode" >"$work/app.log" 2>&1 &
app=$!
pids+=($app)
xdotool search --sync --onlyvisible --name "Engineer Mode" >/dev/null || fail "no window"
sleep 1.5

# click X Y: a real click, then a moment for the application to act.
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.4; }
opened() { grep -c "setting.cpp: setting_cb([0-9]*) > END" "$work/app.log" || true; }

# The main menu: a 96 px title bar, then 96 px rows (THEMES.md); "Settings"
# is the fifth row.
click 540 $((96 + 4 * 96 + 48))
wait_for "$work/app.log" "setting_cb([0-9]*) > END" 10 || fail "the settings screen did not open"
sleep 0.5

# Wi-Fi Direct 5G switch, off in the store: on.
click 1003 149
wait_for "$work/watch.log" "^$WIFI=1" 5 || fail "the Wi-Fi Direct 5G flip wrote nothing"
[[ $("$keys" get $WIFI) == 1 ]] || fail "Wi-Fi Direct 5G is $("$keys" get $WIFI)"

# ShelfPeek switch on a read-only key: refused, told, value kept.
click 1003 347
wait_for "$work/app.log" "I/NOTIFICATION: status message: Failed to set status of sending shelfPeek image to server" 5 \
  || fail "no notification of the refused write"
grep -q " status Failed to set status of sending shelfPeek image to server$" "$PANEL_PLATFORM_DIR/notifications" \
  || fail "the notification was not recorded"
[[ $("$keys" get $SHELF) == 1 ]] || fail "the refused write changed the key"

# Equalizer: the row opens the popup (T TYPE preselected), the third radio
# and OK store NUVR2_0. Radios at x 172, rows 96 px from y 714; OK at
# (332, 1026), Close at (748, 1026).
click 300 251
wait_for "$work/app.log" "t type!!" 5 || fail "the equalizer popup did not open"
sleep 0.3
click 172 906
click 332 1026
wait_for "$work/watch.log" "^$MODEL=NUVR2_0" 5 || fail "OK did not store the product model"
[[ $("$keys" get $MODEL) == NUVR2_0 ]] || fail "product model is $("$keys" get $MODEL)"
grep -q "radio index = 3" "$work/app.log" || fail "OK did not see the tapped radio"

# Partition switch: "SWITCH", then OK of the confirmation at (332, 925).
click 996 443
wait_for "$work/app.log" "confirm_popup([0-9]*) > START" 5 || fail "no confirmation popup"
sleep 0.3
click 332 925
wait_for "$work/watch.log" "^$PARTITION=1" 5 || fail "OK did not request the partition switch"
[[ $("$keys" get $PARTITION) == 1 ]] || fail "partition request is $("$keys" get $PARTITION)"
import -window root "$work/settings.png" 2>/dev/null || true

# One back press: the main menu again, whose "Settings" opens the screen
# once more; two more presses: the main menu, then the end.
xdotool key Escape
sleep 1
kill -0 "$app" 2>/dev/null || fail "one back press ended the application"
click 540 $((96 + 4 * 96 + 48))
for _ in $(seq 25); do [[ $(opened) == 2 ]] && break; sleep 0.2; done
[[ $(opened) == 2 ]] || fail "back did not return to the main menu"
xdotool key Escape
sleep 1
kill -0 "$app" 2>/dev/null || fail "back on the reopened settings screen ended the application"
xdotool key Escape
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill -0 "$app" 2>/dev/null && fail "back on the main menu did not end the application"
wait "$app" || true
echo "e2e settings: ok"
