#!/usr/bin/env bash
# One entry point for setting up, building, running and testing on Debian.
#   ./build.sh run     install what is missing, build, start the program
#   ./build.sh test    install what is missing, build, run every test (and the threaded ones under TSan)
#   ./build.sh asan    the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   ./build.sh tsan    the threaded tests under ThreadSanitizer
#   ./build.sh bench   build and run the benchmarks
#   ./build.sh sim ... build and start the module simulator with the given arguments
#   ./build.sh package build the Debian package irtool_*.deb in build/
#   ./build.sh fuzz [s] build the fuzzers with clang and run each for s seconds (60 by default)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev qt6-svg-dev qt6-tools-dev qt6-l10n-tools libqt6opengl6-dev libgl-dev libgtest-dev libgmock-dev
  libbenchmark-dev libudev-dev fonts-noto-cjk librsvg2-bin desktop-file-utils appstream clang libclang-rt-14-dev lirc lirc-compat-remotes
  mosquitto mosquitto-clients libmosquitto-dev openssl qt6-translations-l10n)
# Only for building the Debian package: dpkg-shlibdeps computes its dependencies, and CPack finds the
# binaries with file.
PACKAGING=(dpkg-dev file)

install_missing() { # install_missing <package>...
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

build() { # build <dir> [cmake options...]
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$(nproc)"
}

# Only the threaded tests run under ThreadSanitizer, so only they are built there.
tsan() {
  [ -f build-tsan/build.ninja ] || cmake -S . -B build-tsan -G Ninja -DIRTOOL_TSAN=ON -DIRTOOL_BENCH=OFF
  cmake --build build-tsan -j "$(nproc)" --target threaded_tests
  QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan.supp" ctest --test-dir build-tsan -L threads --output-on-failure
}

# The fuzzers live in their own build folder, built with clang; the main build never needs clang.
fuzz_build() {
  [ -f build-fuzz/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DIRTOOL_FUZZ=ON -DIRTOOL_BENCH=OFF
  cmake --build build-fuzz -j "$(nproc)" --target fuzzers
}

# fuzz_run <seconds> [extra libFuzzer options...]: each target over its kept corpus in fuzz/corpus;
# new inputs go to build-fuzz/corpus, so the kept corpus changes only by hand.
fuzz_run() {
  local seconds=$1; shift
  local failed=0
  for t in build-fuzz/fuzz/fuzz_*; do
    [ -f "$t" ] && [ -x "$t" ] || continue
    local name=${t##*/fuzz_}
    mkdir -p "build-fuzz/corpus/$name" "build-fuzz/crashes/$name"
    echo "== fuzz $name: ${seconds}s"
    if ! "$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$name/" "$@" \
      "build-fuzz/corpus/$name" "fuzz/corpus/$name" > "build-fuzz/$name.log" 2>&1; then
      tail -n 40 "build-fuzz/$name.log"
      echo "fuzz $name FAILED (log: build-fuzz/$name.log)"
      failed=1
    fi
    grep -E '^stat::number_of_executed_units' "build-fuzz/$name.log" || true
  done
  return $failed
}

cmd=${1:-run}
[ $# -gt 0 ] && shift
install_missing "${PACKAGES[@]}"
case "$cmd" in
  run)
    build build
    exec ./build/app/irtool "$@" ;;
  test)
    build build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
    tsan
    # A short run of every fuzzer over its kept corpus: a regression on a kept input fails here.
    fuzz_build
    fuzz_run 3 ;;
  asan)
    build build-asan -DIRTOOL_ASAN=ON -DIRTOOL_BENCH=OFF
    QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j "$(nproc)" ;;
  tsan)
    tsan ;;
  bench)
    # Turns the benchmarks on in a build folder made without them.
    cmake -S . -B build -G Ninja -DIRTOOL_BENCH=ON
    build build
    for b in build/bench/*/bench_*; do [ -x "$b" ] && "$b"; done ;;
  fuzz)
    fuzz_build
    fuzz_run "${1:-60}" ;;
  sim)
    build build
    exec ./build/tools/simulator/irmodule-sim "$@" ;;
  package)
    install_missing "${PACKAGING[@]}"
    build build
    (cd build && cpack -G DEB) ;;
  *)
    echo "usage: $0 run|test|asan|tsan|bench|fuzz [seconds]|sim|package" >&2; exit 2 ;;
esac
