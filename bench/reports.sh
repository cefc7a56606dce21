#!/usr/bin/env bash
# Reports over a 500-device, 90-day fleet: end to end over the protocol next to the sqlite3 tool
# on the same composed script, document memory per row, RGPGenerateReport latency while the
# collector runs.
#   bench/reports.sh [extra benchmark arguments]
# VELM_BENCH_BIN=dir uses an already built bench_reports.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps

bin=${VELM_BENCH_BIN:-}
if [[ -z "$bin" ]]; then
  cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELM_BUILD_BENCH=ON >/dev/null
  cmake --build build-bench -j "$(nproc)" --target bench_reports velm-peers velm-report
  bin=build-bench/bin
fi
"$bin/bench_reports" "$@"
