# Helpers of the end-to-end tests: a private virtual display with a window
# manager, a fresh platform directory, the sample database installed, and
# clean-up of every process started.
set -euo pipefail

build=$1
bin=$build/bin
work=$(mktemp -d /tmp/em-e2e-XXXXXX)
export PANEL_PLATFORM_DIR=$work/platform
export ENGINEER_MODE_PROFILE_DIR=$work/profile
pids=()

cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [[ ${KEEP_E2E:-0} == 1 ]]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.log; do echo "--- $f"; tail -n 40 "$f"; done >&2
  exit 1
}

start_display() {
  exec 3< <(Xvfb -displayfd 1 -screen 0 1080x1645x24 -nolisten tcp 2>"$work/xvfb.log")
  pids+=($!)
  local number
  read -r -t 15 number <&3 || fail "Xvfb did not start"
  export DISPLAY=":$number"
  matchbox-window-manager -use_titlebar no >"$work/wm.log" 2>&1 &
  pids+=($!)
  sleep 0.5
}

install_db() {
  local model=$1
  mkdir -p "$ENGINEER_MODE_PROFILE_DIR/$model/db"
  cp "$build/refdb/engineer_mode.db" "$ENGINEER_MODE_PROFILE_DIR/$model/db/"
}

# wait_for FILE PATTERN SECONDS
wait_for() {
  local deadline=$((SECONDS + $3))
  while ((SECONDS < deadline)); do
    grep -q -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}

# start_micom_service [OPTION...]: the built micom service in the background
# (output in $work/micom.log); waits for its model name ($model) and
# installs the sample database for that model.
start_micom_service() {
  "$bin/micom-service" "$@" >"$work/micom.log" 2>&1 &
  pids+=($!)
  model=""
  for _ in $(seq 50); do
    model=$("$bin/panel-keys" get memory/refrigerator/ModelName 2>/dev/null) && break
    sleep 0.1
  done
  [[ -n "$model" ]] || fail "the micom service wrote no model name"
  install_db "$model"
}

# start_test_view: the built application launched directly on the test view
# (output in $work/app.log, process id in $app); returns when its window
# shows the built view.
start_test_view() {
  "$bin/engineer-mode" --uri org.fridge.engineermode/fridge >"$work/app.log" 2>&1 &
  app=$!
  pids+=($app)
  wait_for "$work/app.log" "init_list" 20 || fail "the test view was not built"
  xdotool search --sync --onlyvisible --name "Engineer Mode" >/dev/null || fail "no window"
  sleep 1.5
}
