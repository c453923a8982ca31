#!/usr/bin/env bash
# The host launch as a person meets it, in a real X server (run under xvfb-run): the
# stand-in host opens a window and launches `travalen importar <window id>`; travalen
# must live inside that window, its file dialog, message box and report are answered from
# the keyboard, and the host finds the result code in Velmora.ini beside travalen.
#
#   host_embedding_test.sh BIN_DIR
set -euo pipefail

bin=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
for tool in travalen travalen-cli timetable-standin host-standin; do
  [ -x "$bin/$tool" ] || { echo "host_embedding_test: $bin/$tool is not built" >&2; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "host_embedding_test: no X display (run under xvfb-run)" >&2; exit 1; }

work=$(mktemp -d /tmp/travalen-host-test.XXXXXX)
ini="$bin/Velmora.ini"
saved=""
host_pid=""
# Velmora.ini belongs beside the executable, in the build folder: whatever was there
# before the test is there after it.
if [ -e "$ini" ]; then
  saved="$work/Velmora.ini.saved"
  cp -p "$ini" "$saved"
fi
cleanup() {
  if [ -n "$host_pid" ] && kill -0 "$host_pid" 2>/dev/null; then kill "$host_pid" || true; fi
  if [ -n "$saved" ]; then cp -p "$saved" "$ini"; else rm -f "$ini"; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "host_embedding_test: $*" >&2
  for f in "$work"/host-*.out "$work"/host-*.err; do [ -e "$f" ] && { echo "--- $f"; cat "$f"; } >&2; done
  exit 1
}

# Exchange tables and a solution, as the timetable program leaves them for importar.
mkdir -p "$work/VTEMP" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
cp "$src/data/sample/seneca-export.xml" "$work/"
"$bin/travalen-cli" exportar "$work/seneca-export.xml" --dir "$work/VTEMP" \
  --niveles "$src/data/sample/niveles.csv" >/dev/null
"$bin/timetable-standin" --dir "$work/VTEMP" >/dev/null

export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" TRAVALEN_EXCHANGE_DIR="$work/VTEMP"
unset QT_QPA_PLATFORM

# Starts the host with `job`; sets host_pid and host (the window id as 0x...).
start_host() {
  local run=$1 job=$2
  "$bin/host-standin" "$bin/travalen" "$job" >"$work/host-$run.out" 2>"$work/host-$run.err" &
  host_pid=$!
  for _ in $(seq 100); do
    grep -q '^window ' "$work/host-$run.out" && break
    sleep 0.1
  done
  host=0x$(awk '/^window /{print $2}' "$work/host-$run.out")
  [ "$host" != 0x ] || fail "$run: the host printed no window id"
}

wait_for_window() {
  timeout 30 xdotool search --sync --onlyvisible --name "$1" >/dev/null ||
    fail "no window named $1 appeared"
}

wait_for_host() {
  local run=$1
  for _ in $(seq 300); do
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$host_pid" 2>/dev/null && fail "$run: travalen did not end"
  wait "$host_pid" || fail "$run: the host ended with an error"
  host_pid=""
}

# 1. A completed importar reports 1.
rm -f "$ini"
start_host completed importar
wait_for_window '^Archivo XML$'
# While the job waits for the person, travalen's window is a child of the host's.
xwininfo -tree -id "$host" |
  grep -q '"Exportar e importar datos entre Velmora y Séneca"' ||
  fail "travalen's window is not inside the host's window:
$(xwininfo -tree -id "$host")"
xdotool type --delay 5 "$work/seneca-export.xml"
xdotool key Return
wait_for_window '^Travalen$'   # "Proceso finalizado"
xdotool key Return
wait_for_window '^Informe de la conversión$'   # the job waits until it is closed
xdotool key Return
wait_for_host completed
grep -qx 'Transformado=1' "$work/host-completed.out" || fail "the host did not read 1"
[ -f "$work/ResultadoVelmoraseneca-export.xml" ] || fail "no result document"

# 2. A cancelled file dialog reports -1, and only the key changes in the host's INI.
printf '[Velmora]\r\nUltimo=C:\\VTEMP\r\n[Transformadores]\r\nTransformado=1\r\n' >"$ini"
start_host cancelled IMPORTAR
wait_for_window '^Archivo XML$'
xdotool key Escape
wait_for_window '^Travalen$'   # "No existe archivo"
xdotool key Return
wait_for_host cancelled
grep -qx 'Transformado=-1' "$work/host-cancelled.out" || fail "the host did not read -1"
[ "$(cat "$ini")" = "$(printf '[Velmora]\r\nUltimo=C:\\VTEMP\r\n[Transformadores]\r\nTransformado=-1\r\n')" ] ||
  fail "Velmora.ini changed beyond its key: $(cat -A "$ini")"

echo "host_embedding_test: passed"
