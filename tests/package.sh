#!/usr/bin/env bash
# Builds the Debian package from the build and checks its dependencies are complete: the
# libraries the binaries link (found by dpkg-shlibdeps) and what is only loaded at run time
# (QML modules, the platform plug-ins), and that it holds the installed layout under /usr.
# usage: package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log"; fail "cpack"; }
deb=$(ls "$out"/nudgebox_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
for package in libc6 libstdc++6 libsqlite3-0 libqt6core6 libqt6gui6 libqt6dbus6 libqt6qml6 \
    libqt6quick6 qt6-qpa-plugins dbus libsecret-1-0; do
    grep -qxF "$package" <<<"$names" || fail "Depends lacks $package"
done
# Every Qt QML module the project's QML imports must come with the package that ships it.
source_dir=$(cd "$(dirname "$0")/.." && pwd)
qml_dir=$(qtpaths6 --query QT_INSTALL_QML 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/qml)
modules=$(find "$source_dir" -path "$source_dir/build*" -prune -o -name '*.qml' -print0 |
    xargs -0 grep -h '^import ' | awk '{print $2}' | sort -u | grep -E '^Qt')
[ -n "$modules" ] || fail "no Qt QML imports found"
for module in $modules; do
    qmldir="$qml_dir/${module//.//}/qmldir"
    [ -f "$qmldir" ] || fail "no qmldir for $module at $qmldir"
    package=$(dpkg -S "$qmldir" | cut -d: -f1)
    grep -qxF "$package" <<<"$names" || fail "Depends lacks $package (for import $module)"
done
! grep -q nudgebox <<<"$depends" || fail "Depends names our own libraries"
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in ./usr/bin/nudgebox ./usr/bin/nudgebox-widget-host ./usr/bin/nudgebox-mirror-settings \
    ./usr/libexec/nudgebox/nudgebox-notification-agent \
    ./usr/share/applications/org.nudgebox.Nudgebox.desktop \
    ./usr/share/applications/org.nudgebox.Nudgebox.MirrorSettings.desktop \
    ./usr/share/dbus-1/services/org.nudgebox.NotificationAgent.service \
    ./usr/lib/systemd/user/nudgebox-notification-agent.service \
    ./etc/xdg/autostart/nudgebox-notification-agent.desktop; do
    grep -qx -- "$f" <<<"$contents" || fail "the package lacks $f"
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/dbus-1/services/org.nudgebox.NotificationAgent.service |
    grep -qx "Exec=/usr/libexec/nudgebox/nudgebox-notification-agent" ||
    fail "the packaged activation file does not name /usr/libexec"
echo "package ok: $(basename "$deb")"
