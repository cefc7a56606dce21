#!/usr/bin/env bash
# The scheduler benchmark (100,000 items: registration, worker passes, next-run computation)
# with TZ unset, as velm-report runs under systemd, side by side with TZ naming the same zone
# file, and with TZ unset but the zone not pinned (how local time cost before the service pinned
# it). Runs alternate between the three, ROUNDS times; medians and ratios are printed.
#   bench/scheduler.sh [ROUNDS] [extra benchmark arguments]     (default 3 rounds)
# VELM_BENCH_BIN=dir uses an already built bench_scheduler.
source "$(dirname "$0")/setup.sh"

rounds=${1:-3}
shift || true
bench_programs bench_scheduler

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
run() { # MODE ROUND [benchmark arguments]
  local mode=$1 round=$2
  shift 2
  local -a zone
  case $mode in
    unset) zone=(-u TZ) ;;
    set) zone=(TZ=:/etc/localtime) ;;
    unpinned) zone=(-u TZ VELM_BENCH_UNPINNED_ZONE=1) ;;
  esac
  env "${zone[@]}" "$bin/bench_scheduler" --benchmark_out="$out/$mode.$round.json" \
    --benchmark_out_format=json "$@" >/dev/null 2>&1
}
modes=(unset set unpinned)
for ((round = 1; round <= rounds; ++round)); do
  # Each round starts with another mode, so a drift in the machine's load favours none.
  for ((i = 0; i < 3; ++i)); do
    run "${modes[(round + i) % 3]}" "$round" "$@"
  done
done

python3 - "$out" <<'PY'
import glob, json, os, statistics, sys
modes = [("unset", "TZ unset"), ("set", "TZ set"), ("unpinned", "unset, unpinned")]
runs = {}
for mode, _ in modes:
    for path in sorted(glob.glob(os.path.join(sys.argv[1], mode + ".*.json"))):
        for b in json.load(open(path))["benchmarks"]:
            name = b["name"].split("/iterations")[0]
            runs.setdefault(name, {}).setdefault(mode, []).append((b["real_time"], b["cpu_time"]))
print("median over rounds, ms (wall / CPU); ratio = TZ unset / TZ set")
print(f"{'benchmark':26}" + "".join(f"{label:>22}" for _, label in modes) + f"{'ratio CPU':>11}")
for name, by_mode in runs.items():
    cells, cpu = [], {}
    for mode, _ in modes:
        times = by_mode.get(mode, [])
        if not times:
            cells.append(f"{'-':>22}")
            continue
        wall = statistics.median(t[0] for t in times)
        cpu[mode] = statistics.median(t[1] for t in times)
        cells.append(f"{wall:>12.1f} / {cpu[mode]:>7.1f}")
    ratio = cpu["unset"] / cpu["set"] if "unset" in cpu and cpu.get("set") else float("nan")
    print(f"{name:26}" + "".join(cells) + f"{ratio:>10.2f}x")
PY
