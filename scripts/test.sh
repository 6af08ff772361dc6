#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test:
#   1. the normal build and all unit tests;
#   2. the Qt-free libraries' tests again under AddressSanitizer and UBSan;
#   3. every fuzz target over its seed corpus (clang, libFuzzer).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
JOBS="$(nproc)"

# Compiler cache: a second run, even from another clone, compiles only what changed.
LAUNCHER=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-8G}"
  LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

echo "== Build and unit tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${LAUNCHER[@]}" >/dev/null
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure -j"$JOBS" --timeout 300

echo "== Sanitizer build (ASan + UBSan) and the tests again"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMB_SANITIZE=ON \
      -DMB_BUILD_BENCHMARKS=OFF "${LAUNCHER[@]}" >/dev/null
cmake --build build-asan -j"$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp" QT_QPA_PLATFORM=offscreen \
  ctest --test-dir build-asan --output-on-failure -j"$JOBS" --timeout 600

echo "== Fuzz targets over their seed corpora"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DMB_BUILD_FUZZERS=ON -DMB_BUILD_TESTS=OFF -DMB_BUILD_BENCHMARKS=OFF "${LAUNCHER[@]}" >/dev/null
cmake --build build-fuzz -j"$JOBS"
ctest --test-dir build-fuzz --output-on-failure -j"$JOBS" --timeout 600
