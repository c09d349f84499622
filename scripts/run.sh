#!/usr/bin/env bash
# Installs what is missing, builds the program directory and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
dist=build/release/dist

if [ -x "$dist/quorvane" ]; then
  exec "$dist/quorvane" "$@"
fi
echo "The program directory $dist holds:"
ls -1 "$dist"
echo "(The program quorvane was not built.)"
