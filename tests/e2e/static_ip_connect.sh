#!/usr/bin/env bash
# The built application on a virtual display with the simulated Wi-Fi radio
# set up by panel-wifi: the static IP screen is opened from the main menu,
# the form is filled by real typing (Tab moves to the next field), Connect
# is clicked, the radio connects and the application says "Success to
# connect AP"; panel-wifi then shows the applied static configuration.
# A second run finds an access point that is known only after a scan: the
# first press does not find it, the second one connects.
source "$(dirname "$0")/lib.sh"

wifi=$bin/panel-wifi
menu_static_ip=(540 432)   # fourth main-menu row
first_field=(540 190)      # access point name
connect=(976 48)           # Connect in the title bar

start_app() {
  local log=$1
  "$bin/engineer-mode" >"$log" 2>&1 &
  app=$!
  pids+=($app)
  wait_for "$log" "load_base_view(.*) > END" 20 || fail "the main menu was not built"
  xdotool search --sync --onlyvisible --name "Engineer Mode" >/dev/null || fail "no window"
  sleep 1
  xdotool mousemove "${menu_static_ip[@]}" click 1
  wait_for "$log" "add_bottom_padding" 10 || fail "the static IP screen did not open"
  sleep 0.8
}

# Types the fields in order; an empty value leaves its field empty.
fill_form() {
  xdotool mousemove "${first_field[@]}" click 1
  sleep 0.3
  for value in "$@"; do
    [[ -n $value ]] && xdotool type --delay 15 "$value"
    xdotool key Tab
    sleep 0.1
  done
}

press_connect() {
  xdotool mousemove "${connect[@]}" click 1
}

quit_app() {
  xdotool key Escape   # leaves the screen
  sleep 0.6
  xdotool key Escape   # back on the main menu ends the application
  for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$app" 2>/dev/null && fail "two back presses did not end the application"
  wait "$app" || true
}

start_display

# Run 1: a known secured access point.
"$wifi" reset
"$wifi" times --activation 0.3 --scan 1 --connect 1.5
"$wifi" ap "Office AP" --passphrase "secret 99" --signal -48
"$wifi" on
start_app "$work/app.log"
fill_form "Office AP" "secret 99" "10.0.0.20" "255.255.255.0" "10.0.0.1" "" "10.0.0.53"
press_connect
wait_for "$work/app.log" "popup \[Success to connect AP\]" 15 || fail "no success popup"
import -window root "$work/connected.png" 2>/dev/null || true
grep -q "Connection state changed callback, state : Configuration, AP name : Office AP" "$work/app.log" \
  || fail "the connection did not pass the configuration state"
"$wifi" show >"$work/show.log"
cat "$work/show.log"
for line in 'connection: connected to "Office AP" (static)' "ip address   10.0.0.20" \
            "subnet mask  255.255.255.0" "gateway      10.0.0.1" "dns1         -" \
            "dns2         10.0.0.53"; do
  grep -qF -- "$line" "$work/show.log" || fail "panel-wifi show lacks: $line"
done
[[ $("$bin/panel-keys" get memory/wifi/state) == 2 ]] || fail "memory/wifi/state is not 2"
quit_app

# Run 2: Wi-Fi off and the access point known only after a scan.
"$wifi" reset
"$wifi" times --activation 0.3 --scan 1 --connect 1
"$wifi" ap "Lab" --open --after-scan
start_app "$work/app2.log"
fill_form "Lab" "" "192.168.7.9" "255.255.255.0" "192.168.7.1"
press_connect
wait_for "$work/app2.log" "popup \[Couldn't find AP\]" 15 || fail "the first press found the AP"
grep -q "Wi-Fi Activation succeeded" "$work/app2.log" || fail "Wi-Fi was not switched on"
sleep 3.3   # the popup takes every touch until its 3 s are up
press_connect
wait_for "$work/app2.log" "popup \[Success to connect AP\]" 15 || fail "the second press did not connect"
"$wifi" show | grep -qF 'connection: connected to "Lab" (static)' || fail "not connected to Lab"
"$wifi" show | grep -qF "ip address   192.168.7.9" || fail "Lab did not get the typed address"
quit_app
echo "e2e static IP connect: ok"
