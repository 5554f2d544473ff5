#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the installation is complete,
# valid for desktops, and works on its own: the agent by D-Bus activation from the installed
# activation file; then, with the prefix moved elsewhere (so no path compiled in or written at
# install time can be what makes it work), the application, the widget host and the agent.
# usage: installation.sh BUILD_DIR SESSION_BUS_SCRIPT
set -euo pipefail
build=$(cd "$1" && pwd)
session_bus=$2

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$root/a" --strip >/dev/null
a=$root/a
libdir=$(cd "$a" && find lib* -maxdepth 2 -type d -name nudgebox | head -n1)
[ -n "$libdir" ] || fail "no private library folder under $a/lib"
agent=libexec/nudgebox/nudgebox-notification-agent
for f in bin/nudgebox bin/nudgebox-widget-host bin/nudgebox-mirror-settings "$agent" \
    "$libdir/libnudgebox_platform.so" "$libdir/libnudgebox_model.so" \
    "$libdir/qml/Glance/qmldir" "$libdir/qml/Glance/libglance.so" \
    share/applications/org.nudgebox.Nudgebox.desktop \
    share/applications/org.nudgebox.Nudgebox.MirrorSettings.desktop \
    share/icons/hicolor/scalable/apps/org.nudgebox.Nudgebox.svg \
    share/metainfo/org.nudgebox.Nudgebox.metainfo.xml \
    share/nudgebox/screenshots/main-window.png \
    share/dbus-1/services/org.nudgebox.NotificationAgent.service \
    lib/systemd/user/nudgebox-notification-agent.service \
    etc/xdg/autostart/nudgebox-notification-agent.desktop; do
    [ -e "$a/$f" ] || fail "not installed: $f"
done

desktop-file-validate "$a/share/applications/org.nudgebox.Nudgebox.desktop" \
    "$a/share/applications/org.nudgebox.Nudgebox.MirrorSettings.desktop" \
    "$a/etc/xdg/autostart/nudgebox-notification-agent.desktop"
appstreamcli validate --no-net --explain \
    "$a/share/metainfo/org.nudgebox.Nudgebox.metainfo.xml" >"$root/appstream.log" 2>&1 ||
    { cat "$root/appstream.log"; fail "appstreamcli validate"; }

# The session files name the agent where it was installed.
service=$a/share/dbus-1/services/org.nudgebox.NotificationAgent.service
unit=$a/lib/systemd/user/nudgebox-notification-agent.service
grep -qx "Exec=$a/$agent" "$service" || fail "activation file: $(cat "$service")"
grep -qx "SystemdService=nudgebox-notification-agent.service" "$service" ||
    fail "activation file names no systemd unit"
grep -qx "ExecStart=$a/$agent" "$unit" || fail "systemd unit: $(cat "$unit")"
grep -qx "BusName=org.nudgebox.NotificationAgent" "$unit" || fail "systemd unit has no BusName"
grep -qx "RestartPreventExitStatus=1" "$unit" || fail "systemd unit restarts a second agent"
grep -qx "Exec=$a/$agent" "$a/etc/xdg/autostart/nudgebox-notification-agent.desktop" ||
    fail "autostart entry does not start the installed agent"

# D-Bus activation through the installed file, on a private bus.
export EXPECTED_AGENT=$a/$agent
"$session_bus" "$service" -- bash -c '
set -euo pipefail
dbus-send --session --print-reply --dest=org.nudgebox.NotificationAgent \
    /org/nudgebox/NotificationAgent org.nudgebox.NotificationAgent.Wake >/dev/null
pid=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.GetConnectionUnixProcessID string:org.nudgebox.NotificationAgent |
    awk "/uint32/ {print \$2}")
[ "$(readlink "/proc/$pid/exe")" = "$EXPECTED_AGENT" ] ||
    { echo "FAIL: activated $(readlink "/proc/$pid/exe")" >&2; exit 1; }
'

mv "$a" "$root/b"
b=$root/b

# Nothing of the build folder is left in the installed files.
while IFS= read -r -d '' file; do
    head -c4 "$file" | grep -q ELF || continue
    runpath=$(readelf -d "$file" | awk "/RUNPATH|RPATH/ {print \$NF}")
    case "$runpath" in
    "" | "[\$ORIGIN"*) ;;
    *) fail "$file: RUNPATH $runpath" ;;
    esac
    case "$runpath" in *build*) fail "$file: RUNPATH $runpath" ;; esac
done < <(find "$b" -type f -print0)
if grep -rlF "$build" "$b"; then fail "the files above name the build folder"; fi

# The moved installation runs: its application, its widget host, its agent.
export QT_QPA_PLATFORM=offscreen MOVED=$b AGENT=$agent
"$session_bus" "$b/share/dbus-1/services/org.nudgebox.NotificationAgent.service" -- bash -c '
set -euo pipefail
out=$(NUDGEBOX_QUIT_AFTER_FIRST_FRAME=1 timeout 120 "$MOVED/bin/nudgebox")
[ "$out" = "Nudgebox: first frame shown" ] || { echo "FAIL: application: $out" >&2; exit 1; }
for family in small large; do
    timeout 120 "$MOVED/bin/nudgebox-widget-host" --render $family --output "$XDG_RUNTIME_DIR/$family.png"
    [ -s "$XDG_RUNTIME_DIR/$family.png" ] || { echo "FAIL: widget host $family" >&2; exit 1; }
done
out=$(NUDGEBOX_QUIT_AFTER_FIRST_FRAME=1 timeout 120 "$MOVED/bin/nudgebox-mirror-settings")
[ "$out" = "Mirror settings: first frame shown" ] || { echo "FAIL: mirror settings: $out" >&2; exit 1; }
"$MOVED/$AGENT" &
agent=$!
for _ in $(seq 200); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.nudgebox.NotificationAgent |
        grep -q "boolean true" && break
    kill -0 $agent 2>/dev/null || { echo "FAIL: the moved agent exited" >&2; exit 1; }
    sleep 0.1
done
kill $agent
'
echo "installation ok"
