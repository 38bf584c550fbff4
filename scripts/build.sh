#!/usr/bin/env bash
# Configures and builds one tree. VEXEL_SANITIZE=address|thread builds into
# build-asan / build-tsan instead of build.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${VEXEL_SANITIZE:-}" in
  "") dir=build ;;
  address) dir=build-asan ;;
  thread) dir=build-tsan ;;
  *) echo "VEXEL_SANITIZE must be address or thread" >&2; exit 2 ;;
esac
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DVEXEL_SANITIZE="${VEXEL_SANITIZE:-}" >/dev/null
fi
cmake --build "$dir"
echo "$dir"
