#!/usr/bin/env bash
# Installs what the build needs, checks formatting, then builds and tests three ways:
# a release build with every test, a sanitizer build with the unit tests, and a
# clang build that replays the fuzz corpus.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

JOBS="${CORVANE_JOBS:-$(nproc)}"
export QT_QPA_PLATFORM=offscreen

LOG_DIR=build/logs
total_passed=0
total_failed=0
stage="start"

banner() {
  stage="$1"
  echo
  echo "=================================================================="
  echo "== $1"
  echo "=================================================================="
}

print_summary() {
  local rc=$?
  if [[ $rc -ne 0 ]]; then
    echo
    echo "test-all: stage '$stage' failed (exit $rc)"
  fi
  echo
  echo "$total_passed passed, $total_failed failed"
  exit "$rc"
}
trap print_summary EXIT

# Runs ctest with the given arguments, keeps its output in $LOG_DIR/<name>.log and
# adds the counts from its summary line to the totals. Stops the script when ctest fails.
run_ctest() {
  local name="$1"
  shift
  local log="$LOG_DIR/ctest-$name.log"
  mkdir -p "$LOG_DIR"

  local rc=0
  ctest --no-tests=error "$@" 2>&1 | tee "$log" || rc=$?

  # "100% tests passed, 0 tests failed out of 12" or "83% tests passed, 2 tests failed out of 12"
  local line
  line="$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)"
  if [[ -n "$line" ]]; then
    local failed total
    failed="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")"
    total="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")"
    total_passed=$((total_passed + total - failed))
    total_failed=$((total_failed + failed))
  elif [[ $rc -ne 0 ]]; then
    # ctest stopped without a summary (no tests found, or it could not run): count it as a failure.
    total_failed=$((total_failed + 1))
  fi

  if [[ $rc -ne 0 ]]; then
    return "$rc"
  fi
}

banner "Setup: Debian packages"
bash scripts/setup-debian.sh

banner "Formatting"
if ! bash scripts/check-format.sh; then
  echo
  echo "Some files are not formatted. Fix them with: bash scripts/format.sh"
  exit 1
fi

banner "Release build (RelWithDebInfo): unit, integration and e2e tests"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j"$JOBS"
run_ctest release --test-dir build/release --output-on-failure -j"$JOBS"

banner "Sanitizer build (address and undefined behaviour): unit tests"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON -DCORVANE_BENCH=OFF
cmake --build build/asan -j"$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest asan --test-dir build/asan -L unit --output-on-failure -j"$JOBS"

banner "Fuzz build (clang, libFuzzer): corpus replay"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_FUZZ=ON -DCORVANE_BENCH=OFF
cmake --build build/fuzz -j"$JOBS"
run_ctest fuzz --test-dir build/fuzz -L fuzz --output-on-failure

banner "All stages passed"
