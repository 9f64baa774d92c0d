#!/usr/bin/env bash
# The built application on a virtual display with the built micom service:
# a real click on the load-status button at its coordinates sends " " and
# then "REQ_STATUS_LOAD_STATUS" (seen on the key store) and the names of the
# loads the service reports appear in the log ("Append : NAME"). Back then
# ends the directly launched application; a second launch while it runs is
# handed to it and ignored.
source "$(dirname "$0")/lib.sh"

start_display
start_micom_service

"$bin/panel-keys" watch memory/refrigerator/TxMessage >"$work/watch.log" 2>&1 &
pids+=($!)

start_test_view

# Writes seen on TxMessage before the click (the version request).
before=$(grep -c "^memory/refrigerator/TxMessage=" "$work/watch.log" || true)

# The load-status button: 210 x 60 at (230, 1390).
xdotool mousemove 335 1420 click 1

wait_for "$work/watch.log" "memory/refrigerator/TxMessage=REQ_STATUS_LOAD_STATUS" 10 \
  || fail "no load-status command on the key store"
# The click writes twice: " " and at once the command. A watcher reads the
# value when its notification runs, so the first line shows " " or, when
# the second write came first, the command again.
sleep 0.5
mapfile -t writes < <(grep "^memory/refrigerator/TxMessage=" "$work/watch.log" | tail -n +$((before + 1)))
((${#writes[@]} == 2)) || fail "the click wrote ${#writes[@]} times, not twice: ${writes[*]}"
[[ ${writes[1]} == "memory/refrigerator/TxMessage=REQ_STATUS_LOAD_STATUS" ]] || fail "last write: ${writes[1]}"
[[ ${writes[0]} == "memory/refrigerator/TxMessage= " || ${writes[0]} == "${writes[1]}" ]] \
  || fail "first write: ${writes[0]}"
wait_for "$work/micom.log" "REQ_STATUS_LOAD_STATUS" 5 || fail "the service did not receive the command"
wait_for "$work/app.log" "Append : " 10 || fail "no load name appended"
import -window root "$work/load_status.png" 2>/dev/null || true
grep -m3 "Append : " "$work/app.log"

# A second direct launch reaches the running instance, which ignores it
# while the test view is open.
timeout 10 "$bin/engineer-mode" --uri org.fridge.engineermode/fridge >"$work/second.log" 2>&1 \
  || fail "the second launch did not hand its request over"
wait_for "$work/app.log" "already open: request ignored" 5 || fail "the running instance did not get the request"

xdotool key Escape
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill -0 "$app" 2>/dev/null && fail "back on the directly launched test view did not end the app"
wait "$app" || true
echo "e2e load status: ok"
