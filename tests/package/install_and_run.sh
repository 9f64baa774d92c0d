#!/usr/bin/env bash
# The Debian package, built by cpack from a build of its own, holds the
# application, its resources, the platform theme, the micom service, the
# tools, the companions, the sample database, the demo and a valid desktop
# entry, and depends on the toolkit's packages. Unpacked with dpkg-deb into a
# scratch root and started there by its demo (no build-tree path in the
# environment), it runs against the sample database with the packaged micom
# service: the main menu comes up, the packaged companion launches, the test
# view reads the sample database and a load-status click lists load names.
# Every layout, theme and catalogue the application maps comes from the
# scratch root. Back twice ends the demo, and its micom service with it.
#
# usage: install_and_run.sh BUILD SOURCE PACKAGE_BUILD
source "$(dirname "$0")/../e2e/lib.sh"
src=$2
pkgbuild=$3
jobs=$(nproc)

# A build without sanitizers of what the package holds; incremental when the
# directory is kept.
cmake -S "$src" -B "$pkgbuild" -DCMAKE_BUILD_TYPE=Release -DEM_TESTS=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >"$work/configure.log" 2>&1 || fail "configure failed"
cmake --build "$pkgbuild" -j"$jobs" --target em_package_content >"$work/build.log" 2>&1 \
  || fail "the package's programs did not build"
rm -f "$pkgbuild"/engineer-mode_*.deb
(cd "$pkgbuild" && cpack -G DEB) >"$work/cpack.log" 2>&1 || fail "cpack failed"
debs=("$pkgbuild"/engineer-mode_*_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "cpack made no single package: ${debs[*]}"
deb=${debs[0]}

# Metadata: the toolkit and SQLite found by dpkg-shlibdeps, the run-time
# modules and fonts listed.
dpkg-deb -f "$deb" Package Version Architecture Depends >"$work/control.log"
cat "$work/control.log"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libelementary1 libsqlite3-0 libecore1 libc6 libevas1-engines-x fonts-nanum; do
  [[ ",$depends," =~ [,\ ]$dep[\ ,\(] ]] || fail "Depends lacks $dep: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
lib=$root/usr/lib/engineer-mode
for file in bin/engineer-mode bin/micom-service bin/panel-keys bin/panel-options bin/panel-wifi \
  bin/refdb-check bin/panel-function-test bin/firmware-update bin/engineer-mode-demo \
  res/edje/ref_theme.edj res/edje/monitor.edj res/edje/blocking.edj \
  res/locale/en/LC_MESSAGES/org.fridge.engineermode.mo res/locale/ko/LC_MESSAGES/org.fridge.engineermode.mo \
  share/panel-platform/theme.edj refdb/engineer_mode.db \
  share/panel-platform/apps/org.fridge.panelfunctiontest share/panel-platform/apps/org.fridge.firmwareupdate; do
  [[ -e $lib/$file ]] || fail "the package lacks usr/lib/engineer-mode/$file"
done
for tool in engineer-mode-demo micom-service panel-keys panel-options panel-wifi refdb-check; do
  [[ -x $root/usr/bin/$tool ]] || fail "usr/bin/$tool does not lead to a program"
done
desktop=$root/usr/share/applications/org.fridge.engineermode.desktop
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -q "^Exec=engineer-mode-demo$" "$desktop" || fail "the desktop entry does not start the demo"
[[ -f $root/usr/share/icons/hicolor/scalable/apps/org.fridge.engineermode.svg ]] || fail "no icon"
if find "$root" -type l -lname '/*' | grep .; then fail "absolute links in the package"; fi

# The sample database passes the packaged checker.
"$root/usr/bin/refdb-check" "$lib/refdb/engineer_mode.db" >"$work/refdb-check.log" 2>&1 \
  || fail "refdb-check refused the packaged database"

# Run from the scratch root: the demo's state under the runtime directory,
# nothing of the build tree in the environment.
unset PANEL_PLATFORM_DIR ENGINEER_MODE_PROFILE_DIR PANEL_APP_RESOURCE_DIR PANEL_PLATFORM_THEME \
  ENGINEER_MODE_SYSTEM_ROOT ENGINEER_MODE_DEMO_DIR
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"
platform=$XDG_RUNTIME_DIR/engineer-mode-demo/platform

start_display
"$root/usr/bin/engineer-mode-demo" >"$work/app.log" 2>&1 &
demo=$!
pids+=($demo)
wait_for "$work/app.log" "create_main_list" 20 || fail "the main menu was not built"
xdotool search --sync --onlyvisible --name "Engineer Mode" >/dev/null || fail "no window"
sleep 1.5
app=$(cat "$platform/run/apps/org.fridge.engineermode.pid")

# Panel function test (row 1): the companion the package registered.
xdotool mousemove 540 240 click 1
companion_pid=$platform/run/apps/org.fridge.panelfunctiontest.pid
for _ in $(seq 50); do [[ -s $companion_pid ]] && break; sleep 0.2; done
[[ -s $companion_pid ]] || fail "the panel-function-test companion was not launched"
companion=$(cat "$companion_pid")
[[ $(readlink "/proc/$companion/exe") == "$lib/bin/panel-function-test" ]] \
  || fail "the companion runs from $(readlink "/proc/$companion/exe")"
kill "$companion"
xdotool search --name "Engineer Mode" windowactivate 2>/dev/null || true
sleep 1

# Fridge function test (row 2): the test view reads the sample database.
xdotool mousemove 540 336 click 1
wait_for "$work/app.log" "init_list" 20 || fail "the test view was not built"
sleep 1.5
grep -E "PRIVATE_APP_ERROR_OK != db_open|NULL == modelNmae|not found|cannot open" "$work/app.log" \
  && fail "errors while the test view was built"
xdotool mousemove 335 1420 click 1
wait_for "$work/app.log" "Append : " 10 || fail "no load name appended"
grep -m3 "Append : " "$work/app.log"

# Every layout, theme and catalogue mapped comes from the scratch root (the
# toolkit's own theme aside), none from a build tree.
mapped=$(awk '$6 ~ /\.(edj|mo)$/ {print $6}' "/proc/$app/maps" | sort -u)
echo "$mapped"
for file in res/edje/monitor.edj res/edje/blocking.edj share/panel-platform/theme.edj \
  res/locale/en/LC_MESSAGES/org.fridge.engineermode.mo; do
  grep -qx "$lib/$file" <<<"$mapped" || fail "$file is not mapped from the scratch root"
done
grep -v -e "^$lib/" -e "^/usr/share/elementary/" <<<"$mapped" && fail "files mapped from elsewhere"

# Back to the main menu, back again ends the application, then the demo.
xdotool key Escape
sleep 1
xdotool key Escape
for _ in $(seq 50); do kill -0 "$demo" 2>/dev/null || break; sleep 0.2; done
kill -0 "$demo" 2>/dev/null && fail "back on the main menu did not end the demo"
for exe in /proc/[0-9]*/exe; do
  [[ $(readlink "$exe" 2>/dev/null) == "$lib/bin/micom-service" ]] && fail "the micom service outlived the demo"
done
echo "package install and run: ok ($(basename "$deb"), $(du -k "$deb" | cut -f1) KiB)"
