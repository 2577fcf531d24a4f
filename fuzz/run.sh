#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds, two at a time. Each works on a
# corpus of its own under BUILD/corpus, seeded from fuzz/corpus; a crash, leak,
# timeout or out-of-memory input lands in BUILD/findings/TARGET and fails the
# run. Copy such inputs to fuzz/regressions/TARGET so `make test` replays them.
# usage: fuzz/run.sh BUILD SECONDS
set -uo pipefail
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
targets=(fuzz_workbook fuzz_xlsx_parts fuzz_ods_content fuzz_xls_records fuzz_import fuzz_tp_image)

run_one() {
  local target=$1
  local corpus=$build/corpus/$target findings=$build/findings/$target
  # A TP file is 2048 bytes: longer inputs only slow its target down.
  local max_len=262144
  [ "$target" = fuzz_tp_image ] && max_len=4096
  mkdir -p "$corpus" "$findings"
  cp -n "$here/corpus/$target/"* "$corpus/" 2>/dev/null || true
  ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=16:malloc_context_size=3 "$build/fuzz/$target" "$corpus" -dict="$here/workbook.dict" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
    -artifact_prefix="$findings/" -print_final_stats=1 >"$build/findings/$target.log" 2>&1
  local status=$?
  local execs
  execs=$(grep -m1 '^stat::number_of_executed_units' "$build/findings/$target.log" | awk '{print $2}')
  local cov
  cov=$(grep -E '^#[0-9]+.*(DONE|pulse|NEW)' "$build/findings/$target.log" | tail -n 1 | grep -o 'cov: [0-9]*')
  printf '%-18s %s  executions %s  %s\n' "$target" "$([ $status -eq 0 ] && echo ok || echo FOUND)" \
    "${execs:-?}" "${cov:-}"
  return $status
}

failed=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run_one "${targets[i]}" & first=$!
  second=""
  if ((i + 1 < ${#targets[@]})); then run_one "${targets[i + 1]}" & second=$!; fi
  wait $first || failed=1
  [ -n "$second" ] && { wait $second || failed=1; }
done
if [ $failed -ne 0 ]; then
  echo "fuzzing found inputs that fail; see $build/findings" >&2
  exit 1
fi
