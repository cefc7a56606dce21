#!/usr/bin/env bash
# Load on a running velm-report (with velm-peers as its naming and database service): 64
# connections at once, one request per connection, 100,000 requests of a cheap command (one no
# service handles: routing and the empty envelope) and then of SchGetEventsInfo for 20 items.
# Prints throughput, latency, failures and the service's resident memory before and after.
#   bench/load.sh [REQUESTS] [CONNECTIONS]
# VELM_BENCH_BIN=dir uses already built velm-report, velm-peers and bench_load_client there.
source "$(dirname "$0")/setup.sh"

requests=${1:-100000}
connections=${2:-64}
bench_programs velm-report velm-peers bench_load_client

source bench/processes.sh
wait_for_line() { # LOG PID
  for _ in $(seq 1 300); do
    grep -q 'Listening incomming requests on port' "$1" && return 0
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

peers_port=$(free_port)
mkdir -p "$tmp/html"
"$bin/velm-peers" --port "$peers_port" --db "$tmp/fleet.db" --html "$tmp/html" >"$tmp/peers.log" 2>&1 &
pids+=($!)
wait_for_line "$tmp/peers.log" "${pids[-1]}" || { echo "velm-peers did not start" >&2; exit 1; }

port=$(free_port)
cat >"$bin/VELMReport.cfg" <<CFG
<?xml version="1.0" encoding="UTF-8"?>
<VELMReport>
  <Name>VELM Report</Name>
  <ServiceURL>http://127.0.0.1:$port/</ServiceURL>
  <DispatcherURL>http://127.0.0.1:$peers_port/</DispatcherURL>
</VELMReport>
CFG
"$bin/velm-report" -e >"$tmp/service.log" 2>&1 &
service=$!
pids+=($service)
wait_for_line "$tmp/service.log" "$service" || { echo "velm-report did not start" >&2; exit 1; }

call() { # COMMAND BODY
  curl -s --http1.1 -X GET -H 'Expect:' --data-binary "$2" "http://127.0.0.1:$port/$1" >/dev/null
}
start=$(( $(date +%s) + 86400 ))
for i in $(seq 1 20); do
  call SchRegister "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNRequest command=\"SchRegister\"><ServiceName>bench</ServiceName><StartTime>$start</StartTime><IntervalType>OCCUR_DAILY</IntervalType><IntervalValue>1</IntervalValue><Permanent>False</Permanent><StopTime>0</StopTime><CommandToSend><![CDATA[<VXNRequest command=\"BenchTick\"><N>$i</N></VXNRequest>]]></CommandToSend><Tag>item $i</Tag></VXNRequest>"
done

printf '<?xml version="1.0" encoding="UTF-8"?><VXNRequest command="BenchNoSuchCommand"/>' >"$tmp/cheap.xml"
printf '<?xml version="1.0" encoding="UTF-8"?><VXNRequest command="SchGetEventsInfo"><ServiceName>bench</ServiceName><ScheduleID>ALL</ScheduleID></VXNRequest>' >"$tmp/events.xml"

rss_before=$(rss_kb "$service")
printf '%-20s %9s %7s %9s %9s %9s\n' command requests failed req/s p50_ms p99_ms
for run in "BenchNoSuchCommand cheap.xml" "SchGetEventsInfo events.xml"; do
  set -- $run
  "$bin/bench_load_client" "$port" "$connections" "$requests" "$1" "$tmp/$2" |
    awk -v name="$1" '{ printf "%-20s %9s %7s %9s %9s %9s\n", name, $2, $4, $8, $10, $12 }'
done
rss_after=$(rss_kb "$service")
echo "velm-report RSS: ${rss_before} kB before, ${rss_after} kB after ($connections connections, $requests requests per command)"
