# The deployed stack on loopback: sivarta-data serve over a sample day and
# Debian's nginx in front of it with deploy/nginx.conf (only this machine's
# paths and ports changed). Source it with $data_tool, $root (the source
# tree) and $work set; start_stack sets $backend and $front (host:port) and
# server_pid/nginx_pid; stop_nginx stops nginx. nginx serves /web/ from
# $work/web (the element's files, when the caller puts them there).
PATH="$PATH:/usr/sbin"
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

nginx_pid=
stop_nginx() { [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null; wait "$nginx_pid" 2>/dev/null; nginx_pid=; }
start_stack() {
  "$data_tool" sample --root "$work/data" --code 005930 --code 000660 --date 20240105 >/dev/null
  chmod -R a+rX "$work"
  "$data_tool" serve --root "$work/data" --port 0 >"$work/serve.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 1 100); do grep -q '^serving ' "$work/serve.log" && break; sleep 0.1; done
  backend="$(sed -n 's|^serving .* on http://||p' "$work/serve.log")"
  [ -n "$backend" ] || { cat "$work/serve.log"; echo "FAIL: the data server did not start"; exit 1; }
  front="127.0.0.1:$(free_port)"
  mkdir -p "$work/nginx/logs" "$work/nginx/cache"
  # The shipped file with this machine's paths and ports, nothing else changed.
  sed -e "s|listen 80;|listen $front;|" -e "s|root /srv/sivarta;|root $work/data;|" \
      -e "s|server 127.0.0.1:8949;|server $backend;|" -e "s|/var/cache/nginx/sivarta|$work/nginx/cache|" \
      -e "s|/run/nginx-sivarta.pid|$work/nginx/nginx.pid|" -e "s|/var/log/nginx/|$work/nginx/logs/|" -e "s|/usr/local/share/sivarta/web/|$work/web/|" \
      "$root/deploy/nginx.conf" >"$work/nginx/nginx.conf"
  nginx -t -q -p "$work/nginx" -c "$work/nginx/nginx.conf" -g "user root;" || { echo "FAIL: nginx -t"; exit 1; }
  nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -g "daemon off; user root;" &
  nginx_pid=$!
  for _ in $(seq 1 100); do curl -s -o /dev/null "http://$front/sisefile/info/005930.dat" && break; sleep 0.1; done
}

