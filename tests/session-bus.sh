#!/usr/bin/env bash
# Runs a command on a private session bus whose only activatable service is the notification
# agent, with every XDG directory in a fresh temporary folder. With --desktop it also starts
# an X server (Xvfb) and a real notification server (dunst) on that bus.
# usage: session-bus.sh [--desktop] AGENT_SERVICE_FILE -- command...
set -euo pipefail
desktop=0
if [ "${1:-}" = "--desktop" ]; then desktop=1; shift; fi
service_file=$1; shift
[ "${1:-}" = "--" ] && shift

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
chmod 700 "$root"
mkdir -p "$root/services" "$root/data" "$root/config" "$root/runtime"
chmod 700 "$root/runtime"
cp "$service_file" "$root/services/"
export XDG_DATA_HOME=$root/data XDG_CONFIG_HOME=$root/config XDG_RUNTIME_DIR=$root/runtime
cat > "$root/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$root/runtime</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$root/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF

export SESSION_DESKTOP=$desktop
exec dbus-run-session --config-file="$root/bus.conf" -- bash -c '
set -euo pipefail
pids=()
cleanup() {
    # The agent was started by the bus; it does not outlive this session. (A test may have
    # stopped it already: then nobody owns the name.)
    agent=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetConnectionUnixProcessID string:org.nudgebox.NotificationAgent \
        2>/dev/null | awk "/uint32/ {print \$2}" || true)
    if [ -n "$agent" ]; then kill "$agent" 2>/dev/null || true; fi
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT
if [ "$SESSION_DESKTOP" = 1 ]; then
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 3>"$XDG_RUNTIME_DIR/display" &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$XDG_RUNTIME_DIR/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n1 "$XDG_RUNTIME_DIR/display")
    dunst >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications 2>/dev/null |
            grep -q "boolean true" && break
        sleep 0.1
    done
fi
"$@"
' session "$@"
