#!/usr/bin/env bash
# Reports over a 500-device, 90-day fleet: end to end over the protocol next to the sqlite3 tool
# on the same composed script, document memory per row, RGPGenerateReport latency while the
# collector runs.
#   bench/reports.sh [extra benchmark arguments]
# VELM_BENCH_BIN=dir uses an already built bench_reports; VELM_BENCH_REPORTS_FLEET=file keeps
# the fleet there and reuses it on the next run; VELM_BENCH_POLL_US sets the status poll pause.
source "$(dirname "$0")/setup.sh"

bench_programs bench_reports velm-peers velm-report
"$bin/bench_reports" "$@"
