#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the main job on the sample model: the syntax
# test of every entry, then the model's contents as the browser loads them.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target modelcheck -j"$(nproc)"

MODEL=examples/sample.mdl
CHECK=build/tools/modelcheck/modelcheck

echo "== Syntax test of $MODEL"
status=0
"$CHECK" syntax "$MODEL" -o build/MODSNTX.txt || status=$?
echo "   (report: build/MODSNTX.txt, exit status $status)"

echo "== Contents of $MODEL with every relation file read"
"$CHECK" dump "$MODEL" --relations -o build/MODDUMP.txt
tr -d '\r' < build/MODDUMP.txt | sed -n '1,40p'
echo "   ... (full dump: build/MODDUMP.txt)"
