#!/usr/bin/env bash
# `make bench`: zembra-tp against the floor any .xlsx reader on libzip +
# expat must pay, and against the readers an operator could use instead
# (xlsx2csv, openpyxl, xlrd, SheetJS: each where installed), on workbooks it
# makes itself. Whole processes, median wall seconds and peak RSS of RUNS
# runs after a warm-up, the commands of a case alternating their order; each
# run is started and timed by bench/time_run (posix_spawn and wait4), so no
# shell fork is counted and the peak memory comes from the kernel's rusage.
# usage: bench/run_bench.sh BUILD   (PEERS=folder of the peer scripts, RUNS=5)
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
peers=${PEERS:-$here/../../shared/bench-peers}
runs=${RUNS:-5}
export NODE_PATH=${NODE_PATH:-/tmp/perf-npm/node_modules}
wb=$build/bench-wb
tp=$build/zembra-tp-bench.bin
zembra=$build/cli/zembra-tp
timer=$build/bench/time_run
mkdir -p "$wb"
[ -f "$wb/wide.xlsx" ] || "$build/bench/make_workbooks" "$wb" || exit 1
cp "$here/data/small.xls" "$wb/small.xls"
floor=""
if [ -f "$peers/floor.c" ] && gcc -O2 -o "$build/bench-floor" "$peers/floor.c" -lzip -lexpat 2>/dev/null; then
  floor=$build/bench-floor
fi
have_py() { /usr/bin/python3 -c "import $1" 2>/dev/null && [ -f "$peers/read_$1.py" ]; }
have_xlsx2csv() { command -v xlsx2csv >/dev/null && [ -f "$peers/read_xlsx2csv.py" ]; }
have_sheetjs() { command -v node >/dev/null && node -e 'require("xlsx")' 2>/dev/null && [ -f "$peers/read_sheetjs.js" ]; }

# measure NAME COMMAND... (one command of a case); results in med[NAME], mem[NAME]
declare -A med mem cmd prep
declare -a names
measure_case() {  # runs every command registered in names[], alternating order
  local round i n=${#names[@]} name
  local -a argv
  for name in "${names[@]}"; do
    read -ra argv <<<"${cmd[$name]}"
    "$timer" "${argv[@]}" >"$build/bench-warm"  # warm-up; gives the peak memory
    mem[$name]=$(awk '{printf "%.1f", $2 / 1024}' "$build/bench-warm")
    : >"$build/bench-$name.times"
  done
  for ((round = 0; round < runs; round++)); do
    for ((i = 0; i < n; i++)); do
      name=${names[$(((i + round) % n))]}
      read -ra argv <<<"${cmd[$name]}"
      [ -n "${prep[$name]:-}" ] && eval "${prep[$name]}"
      "$timer" "${argv[@]}" >>"$build/bench-$name.times"
    done
  done
  for name in "${names[@]}"; do
    med[$name]=$(awk '{print $1}' "$build/bench-$name.times" | sort -n | awk -v n="$runs" 'NR == int((n + 1) / 2) {print $1}')
  done
}

failures=0
check() {  # LABEL OK-EXPRESSION
  if awk "BEGIN {exit !($2)}"; then echo "  ok    $1"; else echo "  MISS  $1"; failures=$((failures + 1)); fi
}
report() {  # NAME...
  for name in "$@"; do printf '  %-28s %8.4f s  %6s MiB\n' "$name" "${med[$name]}" "${mem[$name]}"; done
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 0.0001; printf "%.2f", a / b }'; }

echo "zembra-tp against the floor and other readers ($runs runs each, medians)"

echo; echo "build small.xlsx"
# zembra-build rebuilds an unchanged TP file, which it leaves alone;
# zembra-build-new writes it afresh each run (temp file, fsync, rename).
names=(zembra-build zembra-build-new); cmd[zembra-build]="$zembra build $wb/small.xlsx -o $tp"
cmd[zembra-build-new]="$zembra build $wb/small.xlsx -o $tp.new"; prep[zembra-build-new]="rm -f $tp.new"
[ -n "$floor" ] && { names+=(floor-need); cmd[floor-need]="$floor need $wb/small.xlsx"; }
have_xlsx2csv && { names+=(xlsx2csv); cmd[xlsx2csv]="/usr/bin/python3 $peers/read_xlsx2csv.py $wb/small.xlsx"; }
have_sheetjs && { names+=(sheetjs-need); cmd[sheetjs-need]="node $peers/read_sheetjs.js need $wb/small.xlsx"; }
measure_case; report "${names[@]}"
[ -n "$floor" ] && check "at most 2x the floor's need run: $(ratio "${med[zembra-build]}" "${med[floor-need]}")x" "${med[zembra-build]} <= 2 * ${med[floor-need]}"
have_xlsx2csv && check "at least 10x faster than xlsx2csv: $(ratio "${med[xlsx2csv]}" "${med[zembra-build]}")x" "${med[xlsx2csv]} >= 10 * ${med[zembra-build]}"
small_build_mem=${mem[zembra-build]}

echo; echo "build wide.xlsx (1,000,000-row unrelated sheet first)"
names=(zembra-build); cmd[zembra-build]="$zembra build $wb/wide.xlsx -o $tp"
[ -n "$floor" ] && { names+=(floor-need); cmd[floor-need]="$floor need $wb/wide.xlsx"; }
have_py openpyxl && { names+=(openpyxl-ro-need); cmd[openpyxl-ro-need]="/usr/bin/python3 $peers/read_openpyxl.py ro need $wb/wide.xlsx"; }
measure_case; report "${names[@]}"
[ -n "$floor" ] && check "at most 2x the floor's need run: $(ratio "${med[zembra-build]}" "${med[floor-need]}")x" "${med[zembra-build]} <= 2 * ${med[floor-need]}"
have_py openpyxl && check "at least 30x faster than openpyxl read-only: $(ratio "${med[openpyxl-ro-need]}" "${med[zembra-build]}")x" "${med[openpyxl-ro-need]} >= 30 * ${med[zembra-build]}"
wide_build_mem=${mem[zembra-build]}

echo; echo "cells big.xlsx (200,000 rows, every row)"
names=(zembra-cells); cmd[zembra-cells]="$zembra cells $wb/big.xlsx"
[ -n "$floor" ] && { names+=(floor-parse); cmd[floor-parse]="$floor parse $wb/big.xlsx"; }
have_xlsx2csv && { names+=(xlsx2csv); cmd[xlsx2csv]="/usr/bin/python3 $peers/read_xlsx2csv.py $wb/big.xlsx"; }
measure_case; report "${names[@]}"
[ -n "$floor" ] && check "at most 1.5x the floor's parse run: $(ratio "${med[zembra-cells]}" "${med[floor-parse]}")x" "${med[zembra-cells]} <= 1.5 * ${med[floor-parse]}"
have_xlsx2csv && check "at least 5x faster than xlsx2csv: $(ratio "${med[xlsx2csv]}" "${med[zembra-cells]}")x" "${med[xlsx2csv]} >= 5 * ${med[zembra-cells]}"
big_cells_mem=${mem[zembra-cells]}

echo; echo "cells big-sst.xlsx (the same cells with shared strings)"
names=(zembra-cells); cmd[zembra-cells]="$zembra cells $wb/big-sst.xlsx"
[ -n "$floor" ] && { names+=(floor-parse); cmd[floor-parse]="$floor parse $wb/big-sst.xlsx"; }
measure_case; report "${names[@]}"
sst_cells_mem=${mem[zembra-cells]}

echo; echo "build small.xls"
names=(zembra-build); cmd[zembra-build]="$zembra build $wb/small.xls -o $tp"
have_py xlrd && { names+=(xlrd-need); cmd[xlrd-need]="/usr/bin/python3 $peers/read_xlrd.py need $wb/small.xls"; }
measure_case; report "${names[@]}"
have_py xlrd && check "at least 10x faster than xlrd: $(ratio "${med[xlrd-need]}" "${med[zembra-build]}")x" "${med[xlrd-need]} >= 10 * ${med[zembra-build]}"
xls_build_mem=${mem[zembra-build]}

echo; echo "peak memory of zembra-tp"
for m in "$small_build_mem" "$wide_build_mem" "$big_cells_mem" "$sst_cells_mem" "$xls_build_mem"; do
  check "$m MiB at most 16 MiB" "$m <= 16"
done

echo; echo "engine micro-benchmarks"
"$build/bench/engine_bench" --benchmark_min_time=0.2 2>/dev/null | grep -E "^(ListColumns|ReadAllRows|XlsxRows|XlsRows)"
rm -f "$tp" "$tp.new" "$build"/bench-*.times "$build/bench-warm"
echo
[ "$failures" -eq 0 ] && echo "every target holds" || echo "$failures targets missed"
