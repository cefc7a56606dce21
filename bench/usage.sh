#!/usr/bin/env bash
# Usage reports at fleet scale (500 devices x 90 days of hourly counters): each report end to end
# over the protocol (velmctl -> velm-report -> velm-peers), next to (a) the sqlite3 tool running
# the same composed script on the same file and (b) the floor: one hand-written window-function
# query per counter on a copy with a covering index.
#   bench/usage.sh [runs] [colour|total|monthly ...]
# VELM_BENCH_BIN=dir uses already built programs; VELM_BENCH_FLEET=file an existing fleet. Names
# after the runs measure only those reports.
source "$(dirname "$0")/setup.sh"
export TZ=${TZ:-Europe/Berlin}
runs=${1:-3}
only=("${@:2}")

bench_programs velm-peers velm-report velmctl reportSqlPrint

source bench/processes.sh
work=$tmp

fleet_database
# The floor runs on a copy that carries the covering index. Without velm-peers' time-ordered
# history index: given that one, the floor's planner reads the history in time order and seeks
# the covering index all over, which only makes the floor slower.
floor_db=$work/floor.db
cp "$fleet" "$floor_db"
sqlite3 "$floor_db" "DROP INDEX IF EXISTS idxHistoryTime; CREATE INDEX idxFloor ON \
DevicePropertyHistory (R_PropertyID, R_ColumnID, R_DeviceID, TimeValue, RowIndex, Value); ANALYZE;"

start_peers_and_report "$fleet"

# The last 60 whole local days of the history.
last=$(sqlite3 "$fleet" "SELECT max(TimeValue) FROM DevicePropertyHistory")
to=$(date -d "$(date -d "@$last" +%F) -1 day 23:59" +%s)
from=$(date -d "$(date -d "@$last" +%F) -60 days" +%s)
# P_LAST_TWO_MONTH, as the report computes it: the two calendar months before this one.
month_from=$(date -d "$(date +%Y-%m-01) -2 months" +%s)
month_to=$(date -d "$(date +%Y-%m-01) -1 day 23:59" +%s)

now() { date +%s.%N; }
# CPU seconds (user + system) the services have used so far: velm-peers and velm-report.
services_cpu() {
  local total=0
  for pid in "${pids[@]}"; do
    total=$(awk -v t="$total" '{print t + ($14 + $15) / 100}' "/proc/$pid/stat")
  done
  echo "$total"
}
# Best of `runs`: "wall cpu" in seconds, each the lowest seen. CPU counts the command and what
# the services spent meanwhile, so the report end to end is charged for velm-peers' work: on a
# shared machine CPU varies less than wall-clock time.
best() {
  local best_wall="" best_cpu="" times=$work/times
  for _ in $(seq "$runs"); do
    local t0 t1 s0 s1
    s0=$(services_cpu)
    t0=$(now)
    # A run that fails has no time worth comparing.
    if ! /usr/bin/time -f "%U %S" -o "$times" bash -c '"$@"' bash "$@" >/dev/null; then
      echo nan nan
      return
    fi
    t1=$(now)
    s1=$(services_cpu)
    read -r user sys <"$times"
    read -r best_wall best_cpu < <(python3 -c "w='$best_wall'; c='$best_cpu'; \
nw=$t1-$t0; nc=$user+$sys+$s1-$s0; print(min(float(w), nw) if w else nw, min(float(c), nc) if c else nc)")
  done
  echo "$best_wall $best_cpu"
}

ctl() { "$bin/velmctl" --url "http://127.0.0.1:$report_port/" report generate --wait "$@"; }
sqlite_script() { sqlite3 "$fleet" <"$1"; }
floor() { sqlite3 "$floor_db" <"$1"; }
# `best` times them in a shell of their own.
export bin report_port fleet floor_db
export -f ctl sqlite_script floor

# One window-function query per counter: samples summed per device and time, the highest per
# period, the difference to the previous period.
floor_sql() { # $1 period expression over t, $2 counter conditions ("col:cond ..."), $3 first period
  local joins="" n=0
  for c in $2; do
    n=$((n + 1))
    joins+=" JOIN DevicePropertyHistory c$n ON c$n.R_PropertyID = 47 AND c$n.R_ColumnID = ${c%%:*}
      AND c$n.R_DeviceID = j.R_DeviceID AND c$n.TimeValue = j.TimeValue AND c$n.RowIndex = j.RowIndex
      AND c$n.Value = '${c#*:}'"
  done
  cat <<SQL
WITH s AS (SELECT j.R_DeviceID AS dev, j.TimeValue AS t, sum(v.Value) AS val
  FROM DevicePropertyHistory j $joins
  JOIN DevicePropertyHistory v ON v.R_PropertyID = 47 AND v.R_ColumnID = 7
    AND v.R_DeviceID = j.R_DeviceID AND v.TimeValue = j.TimeValue AND v.RowIndex = j.RowIndex
  WHERE j.R_PropertyID = 47 AND j.R_ColumnID = 2 AND j.Value IN ('print','copy','faxIn')
    AND j.TimeValue BETWEEN $(($4 - 2764800)) AND $(($5 + 86400))
  GROUP BY 1, 2),
p AS (SELECT dev, $1 AS period, max(val) AS hi FROM s GROUP BY 1, 2),
u AS (SELECT dev, period, hi - lag(hi) OVER (PARTITION BY dev ORDER BY period) AS pages FROM p)
SELECT count(*), sum(pages) FROM u WHERE period >= $3;
SQL
}
day_of="date(t, 'unixepoch', 'localtime')"
month_of="strftime('%Y-%m', t, 'unixepoch', 'localtime')"
floor_file() { # $1 name, $2 period expression, $3 first period (SQL), counters...
  local name=$1 expr=$2 first=$3
  shift 3
  : >"$work/$name.floor.sql"
  for counters in "$@"; do
    floor_sql "$expr" "$counters" "$first" "$range_from" "$range_to" >>"$work/$name.floor.sql"
  done
}
range_from=$from range_to=$to
floor_file colour "$day_of" "date($from, 'unixepoch', 'localtime')" "6:fullColor" "6:monoColor"
total_counters=()
for media in small large; do
  for mode in simplex duplex; do
    for colour in monoColor fullColor; do total_counters+=("3:$media 5:$mode 6:$colour"); done
  done
done
floor_file total "$day_of" "date($from, 'unixepoch', 'localtime')" "${total_counters[@]}"
range_from=$month_from range_to=$month_to
floor_file monthly "$month_of" "strftime('%Y-%m', $month_from, 'unixepoch', 'localtime')" \
  "6:fullColor" "6:monoColor"

"$bin/reportSqlPrint" RT_USAGE_COLOR_MONO --interval 1 --from "$from" --to "$to" >"$work/colour.sql"
"$bin/reportSqlPrint" RT_USAGE_TOTAL_PAGES --interval 1 --from "$from" --to "$to" >"$work/total.sql"
"$bin/reportSqlPrint" RT_USAGE_COLOR_MONO --interval 3 --summary --from "$month_from" --to "$month_to" \
  >"$work/monthly.sql"

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-38s %21s %21s %21s %15s %15s\n' "report (best of $runs, seconds)" "protocol wall/cpu" \
  "sqlite3 wall/cpu" "floor wall/cpu" "prot/flr w/c" "sql/flr w/c"
measure() { # $1 name, $2 label, velmctl arguments...
  local name=$1 label=$2
  shift 2
  [[ ${#only[@]} -eq 0 || " ${only[*]} " == *" $name "* ]] || return 0
  local ours tool base
  ours=$(best ctl "$@")
  tool=$(best sqlite_script "$work/$name.sql")
  base=$(best floor "$work/$name.floor.sql")
  python3 - "$label" $ours $tool $base <<'PY'
import sys
label = sys.argv[1]
ow, oc, tw, tc, bw, bc = (float(x) for x in sys.argv[2:8])
print('%-38s %10.2f %10.2f %10.2f %10.2f %10.2f %10.2f %6.2fx %6.2fx %6.2fx %6.2fx' % (
    label, ow, oc, tw, tc, bw, bc, ow / bw, oc / bc, tw / bw, tc / bc))
PY
}
measure colour "RT_USAGE_COLOR_MONO daily, 60 days" --type RT_USAGE_COLOR_MONO --interval I_DAY \
  --from "$from" --to "$to" --sort-by DeviceID --format TABLE
measure total "RT_USAGE_TOTAL_PAGES daily, 60 days" --type RT_USAGE_TOTAL_PAGES --interval I_DAY \
  --from "$from" --to "$to" --sort-by DeviceID --format TABLE
measure monthly "RT_USAGE_COLOR_MONO monthly summary" --type RT_USAGE_COLOR_MONO --summary \
  --period P_LAST_TWO_MONTH --format TABLE
