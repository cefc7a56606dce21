#!/usr/bin/env bash
# A per-user basic job accounting report over the 500-device, 90-day fleet (about 1,000 users
# and 800,000 jobs): end to end through velm-report and velm-peers' job accounting plug-in, next
# to the plug-in alone and the plug-in's own computation time, so the flow's overhead shows; then
# the flow's own steps (bench_jobaccounting).
#   bench/jobaccounting.sh [runs]
# VELM_BENCH_BIN=dir uses already built programs; VELM_BENCH_FLEET=file an existing fleet.
source "$(dirname "$0")/setup.sh"
runs=${1:-3}

bench_programs velm-peers velm-report bench_jobaccounting

source bench/processes.sh
work=$tmp

fleet_database
echo "Fleet: $(sqlite3 "$fleet" "SELECT COUNT(*) FROM Users") users, \
$(sqlite3 "$fleet" "SELECT COUNT(*) FROM JobLog") jobs, \
$(sqlite3 "$fleet" "SELECT COUNT(*) FROM Devices") devices"
from=$(sqlite3 "$fleet" "SELECT MIN(JobTime) FROM JobLog")
to=$(sqlite3 "$fleet" "SELECT MAX(JobTime) FROM JobLog")

start_peers_and_report "$fleet"

python3 bench/jobaccounting.py "$peers_port" "$report_port" "$from" "$to" "$runs" \
  "${pids[-2]}" "${pids[-1]}" "$work/peers.log"
# The flow's own steps on a result of this size, in this process, without the network.
if [[ -x "$bin/bench_jobaccounting" ]]; then
  "$bin/bench_jobaccounting" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
fi
