#!/usr/bin/env bash
# ThreadSanitizer over qmctl fleet, where several scales run at once on threads of one process,
# each with its own loop, port and session. Runs after the link stage of scripts/test.sh has
# configured build-tsan (about 3 minutes more on 2 cores, most of it building qmctl's library).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-2}"
cmake --build build-tsan -j"$jobs" --target test_ctl
QM_TEST_BIN="$PWD/build-tsan/bin" TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  build-tsan/bin/test_ctl --gtest_filter='Fleet.*'
