#!/usr/bin/env bash
# Builds the Debian package: installs what the build needs, configures a
# release tree (build-pkg/, no tests or benchmarks), builds it and runs CPack.
# Prints the path of the .deb, build-pkg/vexel-mouse_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >&2
dir=build-pkg
# -O2 as Debian builds its packages: at -O3 GCC 12 warns about overflows inside
# libstdc++ that cannot happen, and -Werror makes those warnings fatal.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DVEXEL_BUILD_TESTS=OFF -DVEXEL_BUILD_BENCH=OFF >&2
cmake --build "$dir" >&2
rm -f "$dir"/vexel-mouse_*.deb
(cd "$dir" && cpack -G DEB >&2)
deb=$(ls "$dir"/vexel-mouse_*.deb)
echo "$PWD/$deb"
