#!/usr/bin/env bash
# The built application on a virtual display with the built micom service
# started with --rollback, driven by real clicks: the force-run button opens
# the screen, which selects the recorded program again (status 0: the cancel
# entry, sent again; the key ends at 0 although the service answers 15); a
# tap on the first row by its position sends its command, the service
# overwrites the status with 0 and the check puts the run's value back; a tap
# on the sixth row sends the cancel. Commands and statuses are read on the
# key store.
source "$(dirname "$0")/lib.sh"

TX=memory/refrigerator/TxMessage
STATUS=memory/refrigerator/ForceRunStatus

# After a cancel the service writes 15. When that lands after the screen's
# own write of 0, the check 0.3 s later puts 0 back; when the service is
# quicker than the screen's write, the screen's 0 is last. Either way the key
# ends at 0.
cancel_settled() {
  sleep 0.3
  local status
  status=$("$bin/panel-keys" get $STATUS)
  [[ $status == 0 ]] || fail "status $1: $status"
}

start_display
start_micom_service --rollback
[[ $("$bin/panel-keys" get $STATUS) == 0 ]] || fail "the service did not start with status 0"

"$bin/panel-keys" watch $TX $STATUS >"$work/watch.log" 2>&1 &
pids+=($!)

start_test_view

# The force-run button: 210 x 60 at (230, 1455).
xdotool mousemove 335 1485 click 1
wait_for "$work/app.log" "Force Run menu update" 10 || fail "the force-run screen did not open"
wait_for "$work/watch.log" "^$TX=SET_KEY_FORCE_TEST_CANCEL" 10 \
  || fail "opening did not send the recorded program (the cancel) again"
wait_for "$work/micom.log" "received SET_KEY_FORCE_TEST_CANCEL" 10 || fail "the service did not get the cancel"
wait_for "$work/app.log" "Force run status:" 10 || fail "no rollback check after the re-selection"
cancel_settled "after opening"

# Rows of the main list (20, 650), 500 wide, 52 px each (THEMES.md). The
# sample's rows without developer mode: RUN1, RUN2, RDEF, FDEF, LONGDEF,
# CANCEL (PreCool is hidden).
row_y() { echo $((650 + 52 * $1 + 26)); }

lines_before=$(wc -l <"$work/watch.log")
xdotool mousemove 270 "$(row_y 0)" click 1
wait_for "$work/watch.log" "^$TX=SET_KEY_FORCE_TEST_RUN1" 10 || fail "the first row did not send RUN1"
wait_for "$work/micom.log" "force-run status overwritten with 0" 10 || fail "the service did not roll back"
wait_for "$work/app.log" "Force run set to rollback to last run:1" 10 \
  || fail "the check did not restore the run"
sleep 0.5
after=$(tail -n +$((lines_before + 1)) "$work/watch.log" | grep "^$STATUS=" || true)
grep -qx "$STATUS=0" <<<"$after" || fail "the overwrite with 0 was not seen on the key store: $after"
[[ $(tail -n 1 <<<"$after") == "$STATUS=1" ]] || fail "last status write: $(tail -n 1 <<<"$after")"
[[ $("$bin/panel-keys" get $STATUS) == 1 ]] || fail "status after the run: $("$bin/panel-keys" get $STATUS)"

xdotool mousemove 270 "$(row_y 5)" click 1
wait_for "$work/micom.log" "received SET_KEY_FORCE_TEST_CANCEL" 10 || fail "the sixth row did not reach the service"
checks() { grep -c "Force run status:" "$work/app.log" || true; }
for _ in $(seq 50); do (($(checks) >= 3)) && break; sleep 0.1; done
(($(checks) >= 3)) || fail "no rollback check after the cancel row"
cancel_settled "after the cancel row"
import -window root "$work/force_run.png" 2>/dev/null || true

xdotool key Escape
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill -0 "$app" 2>/dev/null && fail "back did not end the directly launched app"
wait "$app" || true
echo "e2e force run: ok"
