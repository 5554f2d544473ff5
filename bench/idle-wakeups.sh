#!/usr/bin/env bash
# Wake-ups of each process (application, widget host, agent) idle for 60 s, counted as the
# context switches (voluntary + involuntary) of all its threads from /proc. Run it on a private
# bus: dbus-run-session -- bench/idle-wakeups.sh build/bin
set -euo pipefail
bin=$1
root=$(mktemp -d); export XDG_DATA_HOME=$root/d XDG_CONFIG_HOME=$root/c XDG_RUNTIME_DIR=$root/r QT_QPA_PLATFORM=offscreen
mkdir -p $root/d $root/c $root/r; chmod 700 $root/r
# Per thread, so a thread that ends in between (Qt's pooled threads expire after 30 s idle)
# does not make the difference negative: each thread counts from its first sample or from 0.
switches() { for f in /proc/$1/task/*/status; do echo "${f%/status} $(awk '/ctxt_switches/ {s+=$2} END {print s}' $f)"; done; }
delta() { awk 'NR==FNR {start[$1]=$2; next} {d += $2 - start[$1]} END {print d+0}' <(echo "$1") <(echo "$2"); }
"$bin/nudgebox" >/dev/null 2>&1 & app=$!
"$bin/nudgebox-widget-host" >/dev/null 2>&1 & host=$!
"$bin/nudgebox-notification-agent" >/dev/null 2>&1 & agent=$!
sleep 10
a0=$(switches $app); h0=$(switches $host); g0=$(switches $agent)
sleep 60
a1=$(switches $app); h1=$(switches $host); g1=$(switches $agent)
echo "application: $(delta "$a0" "$a1") in 60 s; widget host: $(delta "$h0" "$h1") in 60 s; agent: $(delta "$g0" "$g1") in 60 s"
kill $app $host $agent
