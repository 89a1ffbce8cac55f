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
# (nothing sampled or drawn) instead. MODE=service runs `netzpegel --service`
# (no window, no display) instead of the window. ADAPTERS=n (as root) runs it in
# a network namespace of its own with lo and n/2 veth pairs (n+1 adapters for an
# even n), so that the same adapters are sampled on any machine. PLANS=1 gives
# every entry a data plan.
set -euo pipefail
cd "$(dirname "$0")/.."

exe=$(realpath "${1:-build-rel/netzpegel}")
seconds=${2:-60}
shown=${SHOWN:-all}
mode=${MODE:-window}
adapters=${ADAPTERS:-}
warmup=5

[ -x "$exe" ] || { echo "no executable at $exe (build a release tree first)" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "sqlite3 is needed" >&2; exit 1; }

home=$(mktemp -d)
pid=""
netns=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  [ -z "$netns" ] || ip netns delete "$netns" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT

export NETZPEGEL_HOME="$home" NETZPEGEL_NO_DIALOGS=1 QT_QPA_PLATFORM=offscreen
run=("$exe")
if [ "$mode" = service ]; then
  unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
  run+=(--service)
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

# Nanoseconds the process's threads have run on a CPU (user and system).
cpu_ns() {
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%d", ns}'
}

start
stop
db="$home/Datenbank.mdb"
case "$shown" in
  all) anzeigen=11 ;;
  none) anzeigen=00 ;;
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
before=$(cpu_ns "$pid")
sleep "$seconds"
after=$(cpu_ns "$pid")
rss_kib=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
hwm_kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
stop

awk -v t=$((after - before)) -v s="$seconds" -v rss="$rss_kib" -v hwm="$hwm_kib" \
    -v n="$entries" -v shown="$shown" -v mode="$mode" 'BEGIN {
  printf "mode: %s, entries: %d (%s shown), samples: %d at 1 s\n", mode, n, shown, s
  printf "cpu per sample: %.3f ms (%.3f s in %d s)\n", t / 1e6 / s, t / 1e9, s
  printf "resident memory: %.1f MiB (peak %.1f MiB)\n", rss / 1024, hwm / 1024
}'
