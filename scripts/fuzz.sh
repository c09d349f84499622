#!/usr/bin/env bash
# Builds the fuzz preset (clang: the whole suite, warning-free in CI, and the
# fuzz targets) and runs every fuzz target over its seed corpus for a bounded
# time. Fails on a crash, a leak, a time-out or a broken property.
#
#   scripts/fuzz.sh                      every target, 20 s each
#   QV_FUZZ_SECONDS=600 scripts/fuzz.sh registry_text_fuzz
#                                        one target for ten minutes
#
# Inputs a run finds go to build/fuzz/corpus/<target> (not the repository);
# an input that fails is written to build/fuzz/artifacts/. Replay one with
#   build/fuzz/fuzz/<target> <file>
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

seconds=${QV_FUZZ_SECONDS:-}  # empty: each target's own time (20 s unless it names one)
jobs=${QV_FUZZ_JOBS:-4}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
# A program with a resource table of its own that loads modules with theirs:
# clang's AddressSanitizer checks that each table is registered once.
ctest --preset fuzz -R '^ModuleResources\.'

list=build/fuzz/fuzz_targets.txt
out=build/fuzz/runs
mkdir -p "$out" build/fuzz/artifacts

export ASAN_OPTIONS=detect_leaks=1:detect_odr_violation=2
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/cmake/lsan.supp
limits=(-timeout=10 -rss_limit_mb=2048)

run_one() {
  local name=$1 binary=$2 own=$3 seeds=$4 regressions=$5
  local time=${seconds:-$own}
  local corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  local dirs=("$corpus")
  [ -n "$seeds" ] && [ -d "$seeds" ] && dirs+=("$seeds")
  # The inputs that once broke the code, each run once.
  if [ -n "$regressions" ] && [ -d "$regressions" ]; then
    if ! "$binary" "${limits[@]}" "$regressions"/* >"$out/$name.regressions.log" 2>&1; then
      echo "FAILED  $name on a regression input (log: $out/$name.regressions.log)"
      tail -n 40 "$out/$name.regressions.log"
      return 1
    fi
  fi
  if "$binary" "${limits[@]}" -max_total_time="$time" -print_final_stats=1 \
       -artifact_prefix="build/fuzz/artifacts/$name-" "${dirs[@]}" >"$out/$name.log" 2>&1; then
    echo "ok      $name ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/$name.log" | grep -o '[0-9]*$') runs)"
  else
    echo "FAILED  $name (log: $out/$name.log)"
    tail -n 40 "$out/$name.log"
    return 1
  fi
}

selected=("$@")
pids=()
failed=0
while IFS=$'\t' read -r name binary own seeds regressions; do
  [ -z "$name" ] && continue
  if [ ${#selected[@]} -gt 0 ] && [[ ! " ${selected[*]} " == *" $name "* ]]; then continue; fi
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 1; done
  run_one "$name" "$binary" "$own" "$seeds" "$regressions" &
  pids+=($!)
done < "$list"
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || failed=1
done
if [ ${#pids[@]} -eq 0 ]; then
  echo "no fuzz target matched: ${selected[*]}"
  exit 1
fi
exit $failed
