#!/usr/bin/env bash
# The built application on a virtual display with the built micom service
# reporting energy every 0.5 s. Real clicks on the energy button and on the
# Start, Stop and Clear rows of the main list: the measurement starts its
# sampling thread, at least two micom reports rewrite the screen, stop ends
# the thread and the reports, clear follows. Then, from the main menu, the
# system-information popup shows the BSP version from the system files and
# the micom version from its key.
source "$(dirname "$0")/lib.sh"

start_display
start_micom_service --energy-period 0.5
start_test_view

count() { grep -c -- "$1" "$work/app.log" || true; }

# The energy button: 210 x 60 at (10, 1585).
xdotool mousemove 115 1615 click 1
wait_for "$work/app.log" "_btn_energyinfo_cb(.*> START" 5 || fail "the energy button did nothing"
sleep 0.5

# Rows of the main list (500 x 500 at (20, 650)): 52 px each (THEMES.md).
row() { xdotool mousemove 270 $((650 + 52 * $1 + 26)) click 1; }

row 0  # Start Option
wait_for "$work/app.log" "main clicked: 100000" 5 || fail "the Start row did nothing"
wait_for "$work/app.log" "Energy Thread Success" 5 || fail "no sampling thread"
wait_for "$work/app.log" "REPORT] LCD energy : " 5 || fail "the thread took no LCD sample"
deadline=$((SECONDS + 10))
while (($(count "get_mode : 9, energy : ") < 2 && SECONDS < deadline)); do sleep 0.2; done
(($(count "get_mode : 9, energy : ") >= 2)) || fail "fewer than two micom reports shown"
import -window root "$work/energy_running.png" 2>/dev/null || true
grep -m2 "REPORT] Micom energy Wh: " "$work/app.log"

row 1  # Stop Option
wait_for "$work/app.log" "main clicked: 100001" 5 || fail "the Stop row did nothing"
wait_for "$work/app.log" "Clean Up" 5 || fail "the sampling thread did not end"
reports=$(count "> _vconf_callback_fn")
samples=$(count "REPORT] LCD energy : ")
sleep 1.5
(($(count "> _vconf_callback_fn") == reports)) || fail "reports handled after the stop"
(($(count "REPORT] LCD energy : ") == samples)) || fail "samples taken after the stop"

row 2  # Clear Option
wait_for "$work/app.log" "main clicked: 100002" 5 || fail "the Clear row did nothing"
wait_for "$work/app.log" "> Clear" 5 || fail "no clear"

xdotool key Escape
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill -0 "$app" 2>/dev/null && fail "back on the directly launched test view did not end the app"
wait "$app" || true

# The system-information popup from the main menu: the files under the
# system root, the micom version from its key rather than the device's.
export ENGINEER_MODE_SYSTEM_ROOT=$work/system
mkdir -p "$ENGINEER_MODE_SYSTEM_ROOT/proc/sys/kernel" "$ENGINEER_MODE_SYSTEM_ROOT/etc"
echo "6.1.0-e2e" >"$ENGINEER_MODE_SYSTEM_ROOT/proc/sys/kernel/osrelease"
echo "#1 SMP e2e" >"$ENGINEER_MODE_SYSTEM_ROOT/proc/sys/kernel/version"
printf 'BSP 1.0\nBSP 2.0\n' >"$ENGINEER_MODE_SYSTEM_ROOT/etc/bsp_version"
"$bin/panel-keys" set db/refrigerator/MicomInfoVersion 37 --type int
"$bin/panel-keys" set db/device/micom_version 12 --type int

"$bin/engineer-mode" >"$work/menu.log" 2>&1 &
app=$!
pids+=($app)
xdotool search --sync --onlyvisible --name "Engineer Mode" >/dev/null || fail "no window"
sleep 1.5
# First entry of the main menu: under the 96 px title bar, rows 96 px high.
xdotool mousemove 540 144 click 1
wait_for "$work/menu.log" "Micom Version<br> - " 5 || fail "no system-information popup"
# The popup's text, logged on one line (the file texts keep their line
# ends, which the log writes as \n).
text=$(grep -m1 "system information: " "$work/menu.log")
echo "$text"
[[ $text == *'Linux 6.1.0-e2e\n #1 SMP e2e\n<br><br> BSP Version<br> - BSP 2.0\n'* ]] \
  || fail "popup without the files' last lines"
[[ $text == *"<br><br> Micom Version<br> - 37</font_size>" ]] || fail "popup without the key's micom version"
sleep 1
import -window root "$work/system_info.png" 2>/dev/null || true
kill -TERM "$app"
wait "$app" || true
echo "e2e energy and system information: ok"
