#!/usr/bin/env bash
# A report chart (600x350, 3 series of 60 periods) against libgd drawing the same primitives;
# quote the CPU times of one run, the machine being shared.
#   bench/charts.sh [extra benchmark arguments]
# VELM_BENCH_BIN=dir uses an already built bench_charts.
source "$(dirname "$0")/setup.sh"

bench_programs bench_charts
uptime
"$bin/bench_charts" "$@"
