#!/usr/bin/env bash
# Installs what is missing, builds everything once and runs every test: the core, the virtual
# scale, the window tests (Qt offscreen), the Debian packages and their checks, then the core
# again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --tests
jobs="${JOBS:-2}"
# Repeated builds (CI on the same machine, a developer's second run) come from the compiler cache.
# Paths are taken relative to the tree, so a fresh clone in another folder finds the objects of
# the last one.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

# The tests and benchmarks are asked for by name: scripts/run.sh leaves them out of the same tree.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_TESTS=ON -DQM_BUILD_BENCH=ON \
      "${launcher[@]}"
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest -j"$jobs" --output-on-failure --timeout 300)

# The Debian packages from the same build, and their checks: lintian, contents, the unpacked
# programs, the man pages, the desktop entry, installs and removal.
packaging/check.sh build

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON -DQM_BUILD_UI=OFF "${launcher[@]}" \
      -DQM_BUILD_BENCH=OFF
cmake --build build-asan -j"$jobs"
(cd build-asan && ctest -j"$jobs" --output-on-failure --timeout 300)

# Windows: the core, qmctl and the core tests cross-built with MinGW-w64 and run under wine,
# with the link suite and qmctl.exe against the virtual scale (scripts/test-windows.sh).
scripts/test-windows.sh

# Fuzzing: every libFuzzer target (fuzz/) for a fixed number of inputs from its seed corpus, with
# a fixed random seed, so the stage is quick and does the same on every run (about 3 minutes
# with the clang build on 2 cores). `fuzz/run 3600` fuzzes for as long as asked.
fuzz/run --runs 20000

# ThreadSanitizer over the tests of the serial port and the link, where the port's event thread
# meets the thread that waits for the scale, and of the network line, whose reader thread fills
# the port's queue while the link reads it (core only, about 4 minutes on 2 cores).
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_BUILD_UI=OFF -DQM_BUILD_BENCH=OFF \
      -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread "${launcher[@]}"
cmake --build build-tsan -j"$jobs" --target test_port test_link
for suite in test_port test_link; do
  QM_TEST_BIN="$PWD/build-tsan/bin" TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    "build-tsan/bin/$suite"
done
scripts/tsan-fleet.sh
