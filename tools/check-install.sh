#!/usr/bin/env bash
# Installs the Release build under a fresh prefix, checks that the desktop
# entry, the file types, the icons and the program's data are in place, and
# starts the installed program on a virtual X display with a fresh program
# folder: a first start that opens the intro project from the prefix's data.
#
#   tools/check-install.sh [BUILD_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
cmake --install "$build" --prefix "$prefix" >/dev/null

missing=0
for f in bin/tessiro share/applications/tessiro.desktop share/mime/packages/tessiro.xml \
         share/icons/hicolor/48x48/apps/tessiro.png share/tessiro/Intro.qvk share/tessiro/metro.dat \
         share/tessiro/manual/index.html; do
  [[ -s "$prefix/$f" ]] || { echo "not installed: $f" >&2; missing=1; }
done
(( missing == 0 )) || exit 1
if ldd "$prefix/bin/tessiro" | grep -q "not found"; then
  echo "the installed program misses libraries:" >&2
  ldd "$prefix/bin/tessiro" | grep "not found" >&2
  exit 1
fi
if ldd "$prefix/bin/tessiro" | grep -F "$build" >&2; then
  echo "the installed program loads libraries from the build folder" >&2
  exit 1
fi
echo "installed under $prefix: program, libraries, data, desktop entry, file types and icons"

# Installed, the program takes its data from the prefix's share/tessiro.
"$root/tools/xvfb-screenshot.sh" "$root/build/installed-screenshot.png" "$prefix/bin/tessiro"
