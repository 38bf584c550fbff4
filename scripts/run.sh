#!/usr/bin/env bash
# Installs what the program needs, builds it, and runs its main job: the
# reports that a full apply of a default profile sends to the mouse.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=$(bash scripts/build.sh | tail -n 1)
profile="$dir/default.pro"
"$dir/bin/vexelctl" defaults "Profile 1" "$profile"
echo "Reports of a full apply of $profile, in send order:"
"$dir/bin/vexelctl" reports "$profile"
