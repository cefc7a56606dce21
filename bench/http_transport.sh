#!/usr/bin/env bash
# One request per connection over loopback, the unknown-command path of the service's HTTP
# transport side by side with a bare thread-per-connection server and nginx serving a static
# body of the same size without keep-alive; 1, 16 and 64 concurrent clients with wrk.
#   bench/http_transport.sh [SECONDS]     (default 8 s per run)
# VELM_BENCH_BIN=dir uses already built bench_http_server and bench_http_bare_server.
source "$(dirname "$0")/setup.sh"

duration=${1:-8}
bench_programs --bench bench_http_server bench_http_bare_server

source bench/processes.sh

# The service's transport.
port_service=$(free_port)
"$bin/bench_http_server" "$port_service" >/dev/null &
pids+=($!)

# The bare server.
port_bare=$(free_port)
"$bin/bench_http_bare_server" "$port_bare" &
pids+=($!)

# nginx with a body of the same bytes as the empty envelope.
port_nginx=$(free_port)
mkdir -p "$tmp/www" "$tmp/temp"
python3 -c 'import sys; sys.stdout.buffer.write("<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" ?><VXNResponse/>".encode("utf-16-le"))' \
  >"$tmp/www/body"
chmod -R a+rX "$tmp"
cat >"$tmp/nginx.conf" <<CONF
daemon off;
worker_processes auto;
pid $tmp/nginx.pid;
error_log $tmp/error.log;
events { worker_connections 4096; }
http {
  access_log off;
  keepalive_timeout 0;
  client_body_temp_path $tmp/temp;
  proxy_temp_path $tmp/temp;
  fastcgi_temp_path $tmp/temp;
  uwsgi_temp_path $tmp/temp;
  scgi_temp_path $tmp/temp;
  server {
    listen 127.0.0.1:$port_nginx;
    location / { root $tmp/www; try_files /body =404; default_type application/xml; }
  }
}
CONF
nginx -c "$tmp/nginx.conf" -e "$tmp/error.log" &
pids+=($!)

for port in "$port_service" "$port_bare" "$port_nginx"; do wait_for_port "$port"; done

script=bench/http_request.lua
run() { # port clients seconds -> "requests rate failed p50 p99"
  local threads=$(( $2 < 2 ? 1 : 2 ))
  wrk -t"$threads" -c"$2" -d"$3"s --timeout 10s -s "$script" "http://127.0.0.1:$1/" |
    awk '/^RESULT/ { print $2, $3, $4, $5, $6 }'
}

declare -A rate
printf '%-8s %-8s %10s %10s %7s %9s %9s\n' clients server requests req/s failed p50_ms p99_ms
for clients in 1 16 64; do
  for server in service bare nginx; do
    port_var=port_$server
    run "${!port_var}" "$clients" 1 >/dev/null # warm-up
    read -r requests r failed p50 p99 < <(run "${!port_var}" "$clients" "$duration")
    rate[$server,$clients]=$r
    printf '%-8s %-8s %10s %10s %7s %9s %9s\n' "$clients" "$server" "$requests" "$r" "$failed" "$p50" "$p99"
  done
done

echo
printf '%-8s %16s %17s\n' clients service/bare service/nginx
for clients in 1 16 64; do
  awk -v s="${rate[service,$clients]}" -v b="${rate[bare,$clients]}" -v n="${rate[nginx,$clients]}" \
      -v c="$clients" 'BEGIN { printf "%-8s %15.0f%% %16.0f%%\n", c, 100 * s / b, 100 * s / n }'
done
echo "targets: service >= 80% of bare at 1 client, >= 40% of nginx at 16 and 64 clients, no failed request"
