#!/usr/bin/env bash
# CPU time per sample and resident memory of the running monitor.
#
# Starts the built executable offscreen in a temporary program folder, once to
# lay down its files and tables, then again with every entry shown in the grid
# and in its graph window, lets it sample at the 1 s interval and prints the CPU
# time (user + system) it spent per sample and its resident memory.
#
#   bench/process_cost.sh [EXECUTABLE] [SECONDS]
#
# EXECUTABLE defaults to build-rel/netzpegel, SECONDS to 60. SHOWN=default keeps
# the entries as a fresh installation shows them, SHOWN=none hides them all
# (nothing sampled or drawn) instead, SHOWN=grid or SHOWN=graphs shows them
# only in the grid or only in their graph windows. MODE=service runs `netzpegel --service`
# (no window, no display) instead of the window. ADAPTERS=n (as root) runs it in
# a network namespace of its own with lo and n/2 veth pairs (n+1 adapters for an
# even n), so that the same adapters are sampled on any machine. PLANS=1 gives
# every entry a data plan. DISPLAY_MODE=x11 runs the window on a real X server
# (Xvfb with openbox) instead of offscreen, as on a desktop, and also prints the
# X server's CPU per sample.
#
# PROFILE=FILE records the measured seconds with perf into FILE (the figures then
# include perf's own cost); PROFILE_GRAPH="--call-graph dwarf" gives whole stacks,
# PROFILE_FREQ the samples per second (10000).
#
# When vnstatd is installed, one runs afterwards for the same time on the same
# adapters, and its CPU per poll and the monitor's ratio to it are printed last.
set -euo pipefail
cd "$(dirname "$0")/.."

exe=$(realpath "${1:-build-rel/netzpegel}")
seconds=${2:-60}
shown=${SHOWN:-all}
mode=${MODE:-window}
adapters=${ADAPTERS:-}
display_mode=${DISPLAY_MODE:-offscreen}
warmup=5

[ -x "$exe" ] || { echo "no executable at $exe (build a release tree first)" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "sqlite3 is needed" >&2; exit 1; }

home=$(mktemp -d)
pid=""
netns=""
xpids=()
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  for p in "${xpids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -z "$netns" ] || ip netns delete "$netns" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT

export NETZPEGEL_HOME="$home" NETZPEGEL_NO_DIALOGS=1 QT_QPA_PLATFORM=offscreen
run=("$exe")
if [ "$mode" = service ]; then
  unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
  run+=(--service)
elif [ "$display_mode" = x11 ]; then
  command -v Xvfb >/dev/null && command -v openbox >/dev/null || { echo "Xvfb and openbox are needed" >&2; exit 1; }
  n=50
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1600x1200x24 -nolisten tcp 2>/dev/null &
  xpids+=($!)
  for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n" QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
  openbox >/dev/null 2>&1 &
  xpids+=($!)
  sleep 1
fi
if [ -n "$adapters" ]; then
  netns=npcost$$
  ip netns add "$netns"
  ip -n "$netns" link set lo up
  # veth pairs: the one virtual link a namespace can always make
  for i in $(seq 1 $((adapters / 2))); do
    ip -n "$netns" link add "va$i" type veth peer name "vb$i"
    ip -n "$netns" link set "va$i" up
    ip -n "$netns" link set "vb$i" up
  done
  run=(ip netns exec "$netns" "${run[@]}")
fi

# Whether the process has a handler for SIGTERM yet: its window is built.
ready() {
  local mask
  mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null) || return 1
  [ -n "$mask" ] && (( (16#$mask >> 14) & 1 ))
}

start() {
  "${run[@]}" 2>>"$home/stderr.txt" &
  pid=$!
  for _ in $(seq 1 600); do
    ready "$pid" && return 0
    kill -0 "$pid" 2>/dev/null || { echo "the monitor ended at start:" >&2; cat "$home/stderr.txt" >&2; exit 1; }
    sleep 0.1
  done
  echo "the monitor did not get ready" >&2
  exit 1
}

stop() {
  kill -TERM "$pid"
  wait "$pid" || true
  pid=""
}

# Each thread's nanoseconds on a CPU (user and system), one "thread ns" line each.
thread_ns() {
  for f in /proc/"$1"/task/*/schedstat; do
    t=${f%/schedstat}
    read -r ns _ < "$f" 2>/dev/null && echo "${t##*/} $ns"
  done
  true
}

# Nanoseconds the threads ran between two thread_ns lists. Per thread: one that ended in between
# (Qt's idle pool threads end after 30 s) would otherwise take its whole past out of the sum.
cpu_between() {
  awk 'NR == FNR { was[$1] = $2; next } { ns += $2 - ($1 in was ? was[$1] : 0) } END { printf "%d", ns }' \
    <(echo "$1") <(echo "$2")
}

start
stop
db="$home/Datenbank.mdb"
case "$shown" in
  all) anzeigen=11 ;;
  none) anzeigen=00 ;;
  grid) anzeigen=10 ;;
  graphs) anzeigen=01 ;;
  *) anzeigen="" ;;
esac
if [ -n "$anzeigen" ]; then
  for table in $(sqlite3 "$db" "SELECT name FROM sqlite_master WHERE type='table' AND name LIKE '%\\_einstellungen' ESCAPE '\\'"); do
    sqlite3 "$db" "UPDATE \"$table\" SET anzeigen='$anzeigen'"
  done
fi
entries=$(sqlite3 "$db" "SELECT count(*) FROM sqlite_master WHERE type='table' AND name LIKE '%\\_einstellungen' ESCAPE '\\'")
if [ -n "${PLANS:-}" ]; then
  # A monthly data plan on every entry, far from its limit.
  for table in $(sqlite3 "$db" "SELECT substr(name, 1, length(name) - 14) FROM sqlite_master WHERE type='table' AND name LIKE '%\\_einstellungen' ESCAPE '\\'"); do
    printf '\n[Tarif_%s]\nLimit=100000000000000\n' "$table" >> "$home/netzpegel.ini"
  done
fi

start
sleep "$warmup"
before=$(thread_ns "$pid")
xbefore=""
[ "${#xpids[@]}" -eq 0 ] || xbefore=$(thread_ns "${xpids[0]}")
if [ -n "${PROFILE:-}" ]; then
  perf record -F ${PROFILE_FREQ:-10000} ${PROFILE_GRAPH:--g} -o "$PROFILE" -p "$pid" -- sleep "$seconds" 2>/dev/null
else
  sleep "$seconds"
fi
after=$(thread_ns "$pid")
xafter=""
[ "${#xpids[@]}" -eq 0 ] || xafter=$(thread_ns "${xpids[0]}")
rss_kib=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
hwm_kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
stop

[ "$mode" = service ] && display_mode=none
awk -v t="$(cpu_between "$before" "$after")" -v x="$(cpu_between "$xbefore" "$xafter")" -v s="$seconds" -v rss="$rss_kib" -v hwm="$hwm_kib" \
    -v n="$entries" -v shown="$shown" -v mode="$mode" -v dm="$display_mode" 'BEGIN {
  printf "mode: %s (display %s), entries: %d (%s shown), samples: %d at 1 s\n", mode, dm, n, shown, s
  printf "cpu per sample: %.3f ms (%.3f s in %d s)\n", t / 1e6 / s, t / 1e9, s
  if (dm == "x11") printf "X server cpu per sample: %.3f ms\n", x / 1e6 / s
  printf "resident memory: %.1f MiB (peak %.1f MiB)\n", rss / 1024, hwm / 1024
}'
monitor_ns=$(cpu_between "$before" "$after")

# The counting daemon beside it, polling the same adapters for the same time.
command -v vnstatd >/dev/null || exit 0
poll=5
vn=$home/vnstat
mkdir -p "$vn"
printf 'DatabaseDir "%s"\nPollInterval %d\nUseLogging 0\nDaemonUser ""\nDaemonGroup ""\nAlwaysAddNewInterfaces 1\n' \
  "$vn" "$poll" > "$home/vnstat.conf"
vrun=(vnstatd -n --alwaysadd --config "$home/vnstat.conf")
[ -z "$netns" ] || vrun=(ip netns exec "$netns" "${vrun[@]}")
"${vrun[@]}" >/dev/null 2>&1 &
pid=$!
sleep "$warmup"
kill -0 "$pid" 2>/dev/null || { echo "vnstatd ended at start" >&2; exit 0; }
before=$(thread_ns "$pid")
sleep "$seconds"
after=$(thread_ns "$pid")
vrss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
stop
awk -v t="$(cpu_between "$before" "$after")" -v m="$monitor_ns" -v s="$seconds" -v p="$poll" -v rss="$vrss" 'BEGIN {
  polls = s / p
  printf "vnstatd: cpu per poll %.3f ms (%d polls at %d s), resident %.1f MiB\n", t / 1e6 / polls, polls, p, rss / 1024
  printf "ratio: monitor per sample / vnstatd per poll = %.2f\n", (m / s) / (t / polls)
}'
