#!/usr/bin/env bash
# Sourced by the test command: starts the PostgreSQL server unless one answers,
# makes the test role (it may create databases and roles), writes the ODBC
# files of this test run and exports what the tests read (PGHOST, PGPORT,
# PGUSER, PGPASSWORD, ODBCSYSINI, ODBCINI, KV_TEST_ODBC_DSN).

kv_start_postgres() {
  export PGHOST="${PGHOST:-127.0.0.1}" PGPORT="${PGPORT:-5432}"
  if ! pg_isready -q -h "$PGHOST" -p "$PGPORT"; then
    local version
    version=$(ls /usr/lib/postgresql | sort -V | tail -n1)
    if ! pg_lsclusters -h 2>/dev/null | grep -q .; then
      pg_createcluster "$version" main >/dev/null
    fi
    local cluster
    cluster=$(pg_lsclusters -h | head -n1 | awk '{print $1" "$2}')
    # pg_ctlcluster runs the server as its own user (postgres).
    pg_ctlcluster $cluster start
    for _ in $(seq 1 30); do
      pg_isready -q -h "$PGHOST" -p "$PGPORT" && break
      sleep 1
    done
  fi
  export PGUSER="${PGUSER:-kvtest}" PGPASSWORD="${PGPASSWORD:-kvtest}"
  runuser -u postgres -- psql -q -U postgres -h /var/run/postgresql -p "$PGPORT" -d postgres -v ON_ERROR_STOP=1 <<SQL >/dev/null
DO \$\$ BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '$PGUSER') THEN
    CREATE ROLE $PGUSER LOGIN CREATEDB CREATEROLE PASSWORD '$PGPASSWORD';
  END IF;
END \$\$;
ALTER ROLE $PGUSER CREATEDB CREATEROLE;
SQL
}

kv_write_odbc_files() {
  local dir="$1"
  mkdir -p "$dir"
  local driver
  driver=$(ls /usr/lib/*/odbc/psqlodbcw.so 2>/dev/null | head -n1)
  cat > "$dir/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode)
Driver=$driver
INI
  cat > "$dir/odbc.ini" <<INI
[kvtest]
Description=Test server
Driver=PostgreSQL Unicode
Servername=$PGHOST
Port=$PGPORT
Database=postgres
UserName=$PGUSER
Password=$PGPASSWORD
INI
  export ODBCSYSINI="$dir" ODBCINI="$dir/odbc.ini" KV_TEST_ODBC_DSN=kvtest
}
