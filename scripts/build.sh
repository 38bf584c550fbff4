#!/usr/bin/env bash
# Configures and builds one tree; prints its folder name. VEXEL_SANITIZE=address|thread builds into
# build-asan / build-tsan instead of build.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${VEXEL_SANITIZE:-}" in
  "") dir=build ;;
  address) dir=build-asan ;;
  thread) dir=build-tsan ;;
  *) echo "VEXEL_SANITIZE must be address or thread" >&2; exit 2 ;;
esac
# Build output goes to stderr; stdout carries only the tree's name.
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DVEXEL_SANITIZE="${VEXEL_SANITIZE:-}" >&2
fi
cmake --build "$dir" >&2
echo "$dir"
