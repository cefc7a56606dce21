#!/usr/bin/env bash
# Reading a large DBSProcessQuery answer (the property rows of 500 devices, 90 days of alerts)
# in order and shared among the cores, in the same run.
#   bench/query_answer.sh [extra benchmark arguments]
# VELM_BENCH_BIN=dir uses an already built bench_query_answer; VELM_BENCH_QUERY_BODY=file reads
# that answer body (as received, UTF-16) as well.
source "$(dirname "$0")/setup.sh"

bench_programs bench_query_answer
"$bin/bench_query_answer" --benchmark_repetitions=7 --benchmark_report_aggregates_only=true "$@"
