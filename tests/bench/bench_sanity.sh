#!/usr/bin/env bash
# bench-keys loses no write and gets every acknowledgement; bench-launch
# runs the floor and the application to their first frames and reports
# both bounds; bench-view reports every figure of the test view. Their
# bounds are not judged here (exit status 1 is a missed bound, 2 a failed
# run).
set -euo pipefail
bin=$1/bin
work=$(mktemp -d /tmp/em-bench-sanity-XXXXXX)
trap 'rm -rf "$work"' EXIT
export PANEL_PLATFORM_DIR=$work/platform
export ENGINEER_MODE_PROFILE_DIR=$work/profile

fail() { echo "FAIL: $*" >&2; exit 1; }

status=0
out=$("$bin/bench-keys" 200 500) || status=$?
echo "$out"
((status <= 1)) || fail "bench-keys ended with $status"
[[ $out == *"200 of 200 writes"* ]] || fail "bench-keys lost writes"

status=0
out=$("$bin/bench-launch" 1 "$bin/bench-floor" "$bin/engineer-mode") || status=$?
echo "$out"
((status <= 1)) || fail "bench-launch could not run both programs ($status)"
[[ $out == *"ratio of medians"* && $out == *"peak memory above the floor's"* ]] ||
  fail "bench-launch reported no figures"

# bench-view opens the test view and measures every tick with its frame and
# the bare entry's floor, on the buffer engine.
status=0
out=$(env ELM_DISPLAY=buffer TMPDIR="$work" "$bin/bench-view" 1 2>/dev/null) || status=$?
echo "$out"
((status <= 1)) || fail "bench-view ended with $status"
[[ $out == *"open: menu to test view rendered"* ]] || fail "bench-view reported no opening"
for figure in "load status (all" "self diagnosis" "energy report" "load status (database limit"; do
  [[ $out == *"tick: $figure"* ]] || fail "bench-view reported no tick of $figure"
done
[[ $out == *"the toolkit's frame of a bare entry with the same texts"* ]] ||
  fail "bench-view compared no frame with the bare entry's"
