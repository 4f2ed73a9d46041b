#!/usr/bin/env bash
# Installs the Debian packages that are missing, builds the program (Release)
# and starts it with the arguments given: ./run.sh [OPTION]... [PROJECT]
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)

"$root/tools/install-packages.sh"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target tessiro

# From the caller's folder, so that a project named relative to it opens.
exec "$build/bin/tessiro" "$@"
