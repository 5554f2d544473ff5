#!/usr/bin/env bash
# Wake-ups of each process (application, widget host, agent) idle for 60 s, counted as the
# context switches (voluntary + involuntary) of all its threads from /proc. Run it on a private
# bus: dbus-run-session -- bench/idle-wakeups.sh build/bin
set -euo pipefail
bin=$1
root=$(mktemp -d); export XDG_DATA_HOME=$root/d XDG_CONFIG_HOME=$root/c XDG_RUNTIME_DIR=$root/r QT_QPA_PLATFORM=offscreen
mkdir -p $root/d $root/c $root/r; chmod 700 $root/r
switches() { local t=0; for f in /proc/$1/task/*/status; do t=$((t + $(awk '/ctxt_switches/ {s+=$2} END {print s}' $f))); done; echo $t; }
"$bin/nudgebox" >/dev/null 2>&1 & app=$!
"$bin/nudgebox-widget-host" >/dev/null 2>&1 & host=$!
"$bin/nudgebox-notification-agent" >/dev/null 2>&1 & agent=$!
sleep 10
a0=$(switches $app); h0=$(switches $host); g0=$(switches $agent)
sleep 60
a1=$(switches $app); h1=$(switches $host); g1=$(switches $agent)
echo "application: $(( (a1-a0) )) in 60 s; widget host: $(( (h1-h0) )) in 60 s; agent: $(( (g1-g0) )) in 60 s"
kill $app $host $agent
