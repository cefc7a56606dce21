# Sourced by the benchmark scripts: a scratch directory ($tmp) and the processes they start
# ($pids), both gone when the script ends; free loopback ports and waiting for a listener.
tmp=$(mktemp -d)
chmod 755 "$tmp"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}
wait_for_port() {
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.05
  done
  echo "nothing listens on port $1" >&2
  exit 1
}

# Starts velm-peers on the fleet file $1 and velm-report (a copy of $bin's, configured beside
# itself to find those peers), both in $tmp with their logs there; sets $peers_port and
# $report_port.
start_peers_and_report() {
  peers_port=$(free_port)
  report_port=$(free_port)
  "$bin/velm-peers" --db "$1" --port "$peers_port" --html "$tmp/html" >"$tmp/peers.log" 2>&1 &
  pids+=($!)
  wait_for_port "$peers_port"
  mkdir -p "$tmp/report"
  cp "$bin/velm-report" "$tmp/report/"
  echo "<VELMReport><Name>VELM Report</Name><DispatcherURL>http://127.0.0.1:$peers_port/\
</DispatcherURL><ServiceURL>http://127.0.0.1:$report_port/</ServiceURL></VELMReport>" \
    >"$tmp/report/VELMReport.cfg"
  (cd "$tmp/report" && exec ./velm-report -e >"$tmp/report.log" 2>&1) &
  pids+=($!)
  wait_for_port "$report_port"
}

# Sets $fleet to the 500-device, 90-day fleet the benchmarks run on: $VELM_BENCH_FLEET when set,
# else one generated in $tmp (whole days of history up to today's midnight).
fleet_database() {
  fleet=${VELM_BENCH_FLEET:-}
  if [[ -z "$fleet" ]]; then
    fleet=$tmp/fleet.db
    "$bin/velm-peers" --db "$fleet" --generate-fleet 500 --days 90 >/dev/null
  fi
}
