#!/usr/bin/env bash
# A private MariaDB server for the server-database tests, on 127.0.0.1 with its own data folder.
#   scripts/mariadb.sh start DIR PORT    a new data folder; prints the ODBC connection text for the tests
#   scripts/mariadb.sh resume DIR PORT   the server again on the data folder of an earlier start, after it
#                                        was stopped or died (crash recovery included); prints the same text
#   scripts/mariadb.sh stop DIR
set -euo pipefail
action=$1 dir=$(realpath -m "$2")

serve() {
  mariadbd --no-defaults --datadir="$dir/data" --user=root --bind-address=127.0.0.1 --port="$1" \
    --socket="$dir/mysqld.sock" --pid-file="$dir/mysqld.pid" --skip-name-resolve --log-error="$dir/error.log" \
    </dev/null >>"$dir/server.log" 2>&1 &
  for _ in $(seq 1 200); do
    mariadb --no-defaults -S "$dir/mysqld.sock" -u root -e 'SELECT 1' >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "mariadbd did not answer; see $dir/error.log" >&2
  return 1
}

case "$action" in
  start)
    port=$3
    rm -rf "$dir" && mkdir -p "$dir"
    mariadb-install-db --no-defaults --datadir="$dir/data" --user=root --auth-root-authentication-method=normal \
      --skip-test-db >"$dir/install.log" 2>&1
    serve "$port"
    mariadb --no-defaults -S "$dir/mysqld.sock" -u root -e \
      "CREATE USER IF NOT EXISTS 'zelvo'@'127.0.0.1' IDENTIFIED BY 'zelvo';
       GRANT ALL PRIVILEGES ON *.* TO 'zelvo'@'127.0.0.1'; FLUSH PRIVILEGES;"
    echo "Driver={MariaDB Unicode};Server=127.0.0.1;Port=$port;User=zelvo;Password=zelvo;Option=2;"
    ;;
  resume)
    port=$3
    [ -d "$dir/data" ] || { echo "no data folder in $dir: start first" >&2; exit 1; }
    serve "$port"
    echo "Driver={MariaDB Unicode};Server=127.0.0.1;Port=$port;User=zelvo;Password=zelvo;Option=2;"
    ;;
  stop)
    if [ -f "$dir/mysqld.pid" ]; then
      kill "$(cat "$dir/mysqld.pid")" 2>/dev/null || true
      for _ in $(seq 1 100); do [ -f "$dir/mysqld.pid" ] || break; sleep 0.1; done
    fi
    ;;
esac
