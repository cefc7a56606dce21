#!/usr/bin/env bash
# Fleet generation (200 devices x 90 days, 1000 x 30) and the DBSProcessQuery round trip of a
# 10,000-row SELECT through velm-peers next to the sqlite3 tool on the same file.
#   bench/peers.sh [extra benchmark arguments]
# VELM_BENCH_BIN=dir uses an already built bench_peers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps

bin=${VELM_BENCH_BIN:-}
if [[ -z "$bin" ]]; then
  cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELM_BUILD_BENCH=ON >/dev/null
  cmake --build build-bench -j "$(nproc)" --target bench_peers velm-peers
  bin=build-bench/bin
fi

out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$bin/bench_peers" --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
ours = next((b for n, b in runs.items() if n.startswith("BM_DBSProcessQueryRoundTrip")), None)
cli = next((b for n, b in runs.items() if n.startswith("BM_Sqlite3Cli")), None)
if ours and cli:
    print(f"DBSProcessQuery round trip / sqlite3 tool: {ours['real_time'] / cli['real_time']:.2f}x")
PY
