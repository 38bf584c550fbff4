#!/usr/bin/env bash
# Builds the store's libFuzzer targets in the clang tree (build-fuzz) and runs
# each for a few seconds: pro.data and macro.data loads, profile and macro imports.
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=build-fuzz
targets=(fuzz_load_profiles fuzz_load_macros fuzz_import_profile fuzz_import_macro)
if [ ! -f "$dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DVEXEL_BUILD_FUZZ=ON \
    -DVEXEL_BUILD_TESTS=OFF -DVEXEL_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$dir" --target "${targets[@]}"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for target in "${targets[@]}"; do
  # -max_len lets raw inputs pass the 32992-byte profile record; crash inputs
  # land in the fuzz tree, not in the work tree.
  if ! "$dir/fuzz/$target" -max_total_time=5 -max_len=40000 -artifact_prefix="$dir/fuzz/" \
      >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "$target found a fault" >&2
    exit 1
  fi
  echo "$target: $(grep -E 'Done [0-9]+ runs' "$log" | tail -n 1)"
done
