#!/usr/bin/env bash
# The build installed into a scratch root with prefix /usr, as the package
# does, run from there as an ordinary user: res/ and the driver libraries are
# found through the bin/ links, the store goes to the user's data folder.
# Usage: installed_program_test.sh BUILD_DIR SOURCE_DIR VERSION [SCREENSHOT_DIR]
set -euo pipefail
build=$1 source=$2 version=$3 shots=${4:-$1/screenshots}
[ -n "${DISPLAY:-}" ] || { echo "needs an X display"; exit 77; }

id=io.github.vexel_mouse.VexelMouse
scratch=$(mktemp -d /tmp/vexel-installed-XXXXXX)
chmod 755 "$scratch"
root=$scratch/root
prog=$root/usr/lib/vexel-mouse
share=$root/usr/share
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait || true; chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  for log in "$scratch"/*.log; do [ -s "$log" ] && { echo "== $log" && cat "$log"; } >&2; done
  exit 1
}
wait_for() { timeout "$1" bash -c 'until "$@" >/dev/null 2>&1; do sleep 0.1; done' _ "${@:2}"; }

DESTDIR=$root cmake --install "$build" --prefix /usr >"$scratch/install.log"

for file in vexel-mouse vexelctl vexel-mouse-sim res/main.xml res/lan.xml \
  $(cd "$build/bin" && ls -- *.so); do
  [ -f "$prog/$file" ] || fail "$file is not in the installed program folder"
done
for command in vexel-mouse vexelctl; do
  [ "$(readlink -f "$root/usr/bin/$command")" = "$prog/$command" ] ||
    fail "bin/$command does not lead to the program folder inside the install root"
done
[ -f "$root/usr/lib/udev/rules.d/70-vexel-mouse.rules" ] || fail "udev rule missing"
# Starting with the desktop is the user's choice (the tray menu), never the package's.
[ -z "$(find "$root" -path '*/autostart/*')" ] || fail "the package installs a login entry"

desktop=$share/applications/$id.desktop
metainfo=$share/metainfo/$id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" ||
  fail "metainfo does not validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_command" ] || fail "Exec=$exec_command is not an installed command"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "Icon= is not $id"
[ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "scalable icon missing"
for size in 16 32 48 256; do
  [ "$(identify -format '%wx%h' "$share/icons/hicolor/${size}x${size}/apps/$id.png")" = \
    "${size}x${size}" ] || fail "icon of ${size}x${size} is missing or of another size"
done

# An ordinary user: the installed folder is not theirs to write.
chmod a-w "$prog"
as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
home=$scratch/home
mkdir -p "$home"/{data,config,cache,runtime}
chmod 700 "$home/runtime"
[ ${#as_user[@]} -eq 0 ] || chown -R 65534:65534 "$home"
if [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ]; then
  cp "$XAUTHORITY" "$home/.Xauthority"
  [ ${#as_user[@]} -eq 0 ] || chown 65534:65534 "$home/.Xauthority"
fi
# One array rather than a function, so `$!` is the program's own pid.
as_user+=(env -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XAUTHORITY="$home/.Xauthority"
  XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
  XDG_RUNTIME_DIR="$home/runtime" VEXEL_VIRTUAL_MOUSE="$home/runtime/mouse.sock"
  QT_QPA_PLATFORM=xcb)

"${as_user[@]}" "$prog/vexel-mouse-sim" serve --socket "$home/runtime/mouse.sock" \
  >"$scratch/sim.log" 2>&1 &
pids+=($!)
wait_for 10 test -S "$home/runtime/mouse.sock" || fail "the virtual mouse did not start"

"${as_user[@]}" "$root/usr/bin/vexelctl" status >"$scratch/status.log" 2>&1 || fail "no status"
grep -q '"wired_link": [1-9]' "$scratch/status.log" || fail "vexelctl did not open the cable"

# The window; on this bare X server (no tray) it shows with or without a mouse.
"${as_user[@]}" "$root/usr/bin/vexel-mouse" >"$scratch/gui.log" 2>&1 &
gui=$!
pids+=($gui)
wait_for 20 xdotool search --onlyvisible --pid "$gui" || fail "no window appeared"
store=$home/data/vexel-mouse/Data/ms_1
wait_for 10 test -f "$store/pro.data" || fail "no store in \$XDG_DATA_HOME"
[ ! -e "$prog/Data" ] || fail "the store was made in the installed folder"
sleep 1
window=$(xdotool search --onlyvisible --pid "$gui" | head -n 1)
# Docks and menus tie the window to its menu entry through StartupWMClass.
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
xdotool search --classname "^$wm_class\$" | grep -qx "$window" ||
  fail "the window's WM_CLASS is not StartupWMClass=$wm_class"
mkdir -p "$shots"
import -window "$window" "$shots/installed.png" || fail "no screenshot"
echo "installed program ran from $prog; screenshot $shots/installed.png"
