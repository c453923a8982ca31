#!/usr/bin/env bash
# Times travalen-cli exportar and importar on a school and on 10 and 100 times as much,
# against libxml2 alone parsing the same document, and prints a markdown table.
#
#   bench/run.sh                 build (Release) into build-bench/, generate, measure
#   BUILD_DIR=DIR bench/run.sh   build somewhere else
#   RUNS=N SCALES="1 10" SEED=S  fewer runs or sizes, another seed
#
# Each figure is the median of RUNS runs (5 unless told) of the whole process, start-up
# included: wall time and peak resident memory from /usr/bin/time, CPU time (user + system)
# beside it, since wall time on a shared machine also counts the time others took.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-bench}
runs=${RUNS:-5}
seed=${SEED:-2024}
read -r -a scales <<<"${SCALES:-1 10 100}"
# SOLUC rows per school: a thousand timetable entries.
solucPerSchool=1000

for tool in /usr/bin/time xmllint python3 cmake; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing (scripts/setup installs it)" >&2; exit 1; }
done

generator=()
if [[ ! -f $build/CMakeCache.txt ]] && command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S "$repo" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTRAVALEN_GUI=OFF >/dev/null
cmake --build "$build" -j2 --target travalen-cli >/dev/null
cli=$build/bin/travalen-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# measure NAME BEFORE COMMAND...: runs BEFORE (untimed, may be ":") and then COMMAND, RUNS
# times after one run to warm the caches; sets NAME_ms, NAME_mb and NAME_cpu to the medians.
measure() {
  local name=$1 before=$2
  shift 2
  local walls=() mems=() cpus=() i t0 t1 mem user sys
  eval "$before"
  "$@" >/dev/null 2>&1 || { echo "run.sh: failed: $*" >&2; "$@" >&2 || true; exit 1; }
  for ((i = 0; i < runs; ++i)); do
    eval "$before"
    t0=$(date +%s%N)
    /usr/bin/time -f "%M %U %S" -o "$work/time" "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    read -r mem user sys <"$work/time"
    walls+=($(((t1 - t0) / 1000000)))
    mems+=("$mem")
    cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN {printf "%d", (u + s) * 1000}')")
  done
  printf -v "${name}_ms" '%s' "$(printf '%s\n' "${walls[@]}" | median)"
  printf -v "${name}_mb" '%s' "$(printf '%s\n' "${mems[@]}" | median | awk '{printf "%.0f", $1 / 1024}')"
  printf -v "${name}_cpu" '%s' "$(printf '%s\n' "${cpus[@]}" | median)"
}

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo) RAM; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| Size | Document | SOLUC rows | exportar | importar | libxml2 alone (floor) | importar's result, libxml2 alone |"
echo "|---|---|---|---|---|---|---|"

declare -A exportMs importMs floorMs
for k in "${scales[@]}"; do
  dir=$work/x$k
  python3 "$repo/bench/generate.py" document --scale "$k" --seed "$seed" --out "$dir"
  "$cli" exportar "$dir/seneca.xml" --dir "$dir/VTEMP" --niveles "$dir/niveles.csv" >/dev/null
  python3 "$repo/bench/generate.py" soluc --dir "$dir/VTEMP" --rows $((solucPerSchool * k)) --seed "$seed"

  measure exp "rm -rf '$dir/VT-export'" \
    "$cli" exportar "$dir/seneca.xml" --dir "$dir/VT-export" --niveles "$dir/niveles.csv"
  measure imp ":" "$cli" importar "$dir/seneca.xml" --dir "$dir/VTEMP"
  measure floor ":" xmllint --noout "$dir/seneca.xml"
  measure out ":" xmllint --noout "$dir/ResultadoVelmoraseneca.xml"

  size=$(awk -v b="$(stat -c %s "$dir/seneca.xml")" 'BEGIN {printf (b < 1048576 ? "%.0f KB" : "%.1f MB"), (b < 1048576 ? b / 1024 : b / 1048576)}')
  label=$([[ $k == 1 ]] && echo "school" || echo "×$k")
  # /usr/bin/time counts CPU time in hundredths of a second.
  cell() { echo "${1} ms (CPU $([[ $2 == 0 ]] && echo "<10" || echo "$2") ms), ${3} MB"; }
  # shellcheck disable=SC2154  # measure sets exp_*, imp_*, floor_* and out_* by name
  echo "| $label | $size | $((solucPerSchool * k)) | $(cell "$exp_ms" "$exp_cpu" "$exp_mb") | $(cell "$imp_ms" "$imp_cpu" "$imp_mb") | $(cell "$floor_ms" "$floor_cpu" "$floor_mb") | $(cell "$out_ms" "$out_cpu" "$out_mb") |"
  exportMs[$k]=$exp_ms
  importMs[$k]=$imp_ms
  floorMs[$k]=$floor_ms
done

echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
verdict() { if awk "BEGIN {exit !($1)}"; then echo "met"; else echo "MISSED"; fi; }
if [[ -n ${exportMs[1]:-} ]]; then
  echo "- school under 50 ms: exportar $(verdict "${exportMs[1]} < 50") (${exportMs[1]} ms), importar $(verdict "${importMs[1]} < 50") (${importMs[1]} ms)"
fi
if [[ -n ${exportMs[100]:-} ]]; then
  echo "- ×100 under 2 s: exportar $(verdict "${exportMs[100]} < 2000"), importar $(verdict "${importMs[100]} < 2000")"
  echo "- ×100 within 3 × its floor (${floorMs[100]} ms): exportar $(verdict "${exportMs[100]} <= 3 * ${floorMs[100]}") ($(awk "BEGIN {printf \"%.1f\", ${exportMs[100]} / ${floorMs[100]}}") ×), importar $(verdict "${importMs[100]} <= 3 * ${floorMs[100]}") ($(awk "BEGIN {printf \"%.1f\", ${importMs[100]} / ${floorMs[100]}}") ×)"
fi
if [[ -n ${exportMs[10]:-} && -n ${exportMs[100]:-} ]]; then
  echo "- ×100 at most 15 × the ×10 time: exportar $(verdict "${exportMs[100]} <= 15 * ${exportMs[10]}") ($(awk "BEGIN {printf \"%.1f\", ${exportMs[100]} / ${exportMs[10]}}") ×), importar $(verdict "${importMs[100]} <= 15 * ${importMs[10]}") ($(awk "BEGIN {printf \"%.1f\", ${importMs[100]} / ${importMs[10]}}") ×)"
fi
