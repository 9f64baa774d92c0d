#!/usr/bin/env bash
# A field problem reproduced on a desk. In the field: the built application
# with the micom service runs load status while panel-keys records the
# micom's keys. On the desk: a fresh platform without any micom service, the
# recording replayed from the load-status command on (the state before it
# written at once), and the application's load status shows what the field
# showed: the recording's last load-status value, with the names the field's
# screen gave the same values. The desk's own command is not answered by
# anybody, and the recorded one is not replayed.
source "$(dirname "$0")/lib.sh"

# load_names LOG: "VALUE|NAME NAME ..." for every tick of the load-status
# screen in an application's log.
load_names() {
  awk '
    / _timer1_loadstatus_cb\([0-9]+\) > / {
      text = $0; sub(/.* _timer1_loadstatus_cb\([0-9]+\) > /, "", text)
      if (text ~ /^Append : /) { sub(/^Append : /, "", text); names = names " " text }
      else { if (seen) print value "|" names; value = text; names = ""; seen = 1 }
    }
    END { if (seen) print value "|" names }' "$1"
}

start_display
start_micom_service
recording=$work/field.rec
"$bin/panel-keys" record "$recording" memory/refrigerator/ db/refrigerator/ >"$work/record.log" 2>&1 &
recorder=$!
pids+=($recorder)
wait_for "$recording" "^state memory/refrigerator/ModelName" 10 || fail "the recorder wrote no state"

start_test_view
xdotool mousemove 335 1420 click 1
wait_for "$work/app.log" "Append : " 10 || fail "no load name in the field"
sleep 3.5
kill -INT "$recorder"
wait "$recorder" || fail "the recorder did not end cleanly: $(cat "$work/record.log")"
kill "$app"
wait "$app" 2>/dev/null || true
load_names "$work/app.log" | sort -u >"$work/field.names"
cat "$work/field.names"
grep -q "REQ_STATUS_LOAD_STATUS" "$recording" || fail "the command was not recorded"

# The desk: a fresh platform, the same sample database, no micom service.
export PANEL_PLATFORM_DIR=$work/desk
command_at=$(awk '$2 == "memory/refrigerator/TxMessage" && $4 == "\"REQ_STATUS_LOAD_STATUS\"" { print $1; exit }' \
  "$recording")
[[ -n "$command_at" ]] || fail "no load-status command in the recording"
"$bin/panel-keys" replay "$recording" --from "$command_at" --speed 0.5 >"$work/replay.log" 2>&1 &
replay=$!
pids+=($replay)
for _ in $(seq 50); do "$bin/panel-keys" get memory/refrigerator/ModelName >/dev/null 2>&1 && break; sleep 0.1; done

mv "$work/app.log" "$work/field-app.log"
start_test_view
xdotool mousemove 335 1420 click 1
wait "$replay" || fail "the replay failed: $(cat "$work/replay.log")"
cat "$work/replay.log"
sleep 2.5  # a tick after the last replayed value
"$bin/panel-keys" get memory/refrigerator/TxMessage | grep -qx "REQ_STATUS_LOAD_STATUS" \
  || fail "the desk's application did not send its command"

load_names "$work/app.log" | sort -u >"$work/desk.names"
cat "$work/desk.names"
last_value=$(awk '$2 == "memory/refrigerator/LoadStatus" && $3 == "string" { v = $4 } END { print v }' "$recording")
last_value=${last_value#\"}
last_value=${last_value%\"}
awk -F'|' -v v="$last_value" '$1 == v { found = 1 } END { exit !found }' "$work/desk.names" \
  || fail "the desk never showed the last recorded value $last_value"
# Every value both screens showed has the same names on both; at least one
# named value is shared.
same=0
while IFS='|' read -r value names; do
  [[ -n "$names" ]] || continue
  other=$(awk -F'|' -v v="$value" '$1 == v { print; exit }' "$work/field.names")
  [[ -z "$other" ]] && continue
  [[ "$other" == "$value|$names" ]] || fail "the desk named $value as [$names], the field as [${other#*|}]"
  same=$((same + 1))
done <"$work/desk.names"
((same > 0)) || fail "the desk showed no value the field showed"
echo "e2e record and replay of load status: ok"
