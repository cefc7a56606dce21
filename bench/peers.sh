#!/usr/bin/env bash
# Fleet generation (200 devices x 90 days, 1000 x 30) and the DBSProcessQuery round trip of a
# 10,000-row SELECT through velm-peers next to the sqlite3 tool on the same file.
#   bench/peers.sh [extra benchmark arguments]
# VELM_BENCH_BIN=dir uses an already built bench_peers.
source "$(dirname "$0")/setup.sh"

bench_programs bench_peers velm-peers

out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$bin/bench_peers" --benchmark_out="$out" --benchmark_out_format=json "$@"
python3 - "$out" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
ours = next((b for n, b in runs.items() if n.startswith("BM_DBSProcessQueryRoundTrip")), None)
cli = next((b for n, b in runs.items() if n.startswith("BM_Sqlite3Cli")), None)
if ours and cli:
    print(f"DBSProcessQuery round trip / sqlite3 tool, wall clock: "
          f"{ours['real_time'] / cli['real_time']:.2f}x")
    ours_cpu = ours["cpu_time"] + ours.get("server_cpu_ms", 0)
    cli_cpu = cli["cpu_time"] + cli.get("tool_cpu_ms", 0)
    print(f"DBSProcessQuery round trip / sqlite3 tool, CPU (client + service vs tool): "
          f"{ours_cpu / cli_cpu:.2f}x")
for name, b in runs.items():
    if name.startswith("BM_GenerateFleet"):
        print(f"{name.split('/iterations')[0]}: {b['real_time']:.1f} s, {b.get('db_MB', 0):.0f} MB")
PY
