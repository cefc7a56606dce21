#!/usr/bin/env bash
# Export of a 50,000-row device list to HTML and CSV: the transformation in memory and
# RGPExportReport over the protocol, each next to xsltproc on the same stylesheet and document,
# with velm-report's peak memory above idle during the export.
#   bench/export.sh [extra benchmark arguments]
# VELM_EXPORT_SHEETS=dir takes the stylesheets from dir (default: stylesheets/en, else
# bench/export_sheets); VELM_BENCH_BIN=dir uses an already built bench_export.
source "$(dirname "$0")/setup.sh"

bench_programs bench_export velm-peers velm-report
"$bin/bench_export" "$@"
