#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under
# AddressSanitizer+UndefinedBehaviorSanitizer and under ThreadSanitizer; then
# builds the whole tree with clang (the fuzz preset) and runs every fuzz
# target for a bounded time (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

if [ $# -gt 0 ]; then presets=("$@"); else presets=(asan tsan); fi
for preset in "${presets[@]}"; do
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "=== ${preset}: test"
  ctest --preset "$preset"
done

if [ $# -eq 0 ]; then
  echo "=== fuzz: clang build and fuzz targets"
  scripts/fuzz.sh
fi
