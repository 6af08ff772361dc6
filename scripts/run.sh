#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the model browser on the sample model with the
# sample document collection, so that Ctrl+D on an instance opens its book in the
# documentation browser. Without a display (no DISPLAY or WAYLAND_DISPLAY) it renders every
# page of the sample model to a PNG file instead and says where they are.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target model modelcheck zelio obudde obuutil obuudoc -j"$(nproc)"

MODEL=examples/sample.mdl
CHECK=build/bin/modelcheck
# The documentation browser and the query library read the sample collection's configuration.
export ZELIO_CONFIG="$PWD/examples/docs/corvelle.ini"

echo "== Syntax test of $MODEL"
"$CHECK" syntax "$MODEL" -o build/MODSNTX.txt || true

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "== Starting the model browser on $MODEL (close its window to end)"
    echo "   Click a box, pick an instance, press Ctrl+D to read its documentation."
    exec build/bin/model "$MODEL"
fi

echo "== No display: rendering the pages of $MODEL"
OUT=build/pages
mkdir -p "$OUT"
pages=$(sed -n 's/^PAGES=//p' "$MODEL" | tr -d '\r')
n=0
IFS=','
for page in $pages; do
    n=$((n + 1))
    file="$OUT/$(printf '%02d' "$n")-${page// /_}.png"
    "$CHECK" render "$MODEL" "$page" "$file"
    echo "   $page -> $file"
done
unset IFS
echo "   Open them with any image viewer; with a display, this command starts the browser."
