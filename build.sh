#!/usr/bin/env bash
# One entry point for setting up, building, running and testing on Debian.
#   ./build.sh run     install what is missing, build, start the program
#   ./build.sh test    install what is missing, build, run every test (and the threaded ones under TSan)
#   ./build.sh asan    the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer
#   ./build.sh tsan    the threaded tests under ThreadSanitizer
#   ./build.sh bench   build and run the benchmarks
#   ./build.sh sim ... build and start the module simulator with the given arguments
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libgtest-dev libgmock-dev
  libbenchmark-dev libudev-dev fonts-noto-cjk lirc)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
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
  QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -L threads --output-on-failure
}

cmd=${1:-run}
[ $# -gt 0 ] && shift
install_missing
case "$cmd" in
  run)
    build build
    exec ./build/app/irtool "$@" ;;
  test)
    build build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
    tsan ;;
  asan)
    build build-asan -DIRTOOL_ASAN=ON -DIRTOOL_BENCH=OFF
    QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j "$(nproc)" ;;
  tsan)
    tsan ;;
  bench)
    build build
    for b in build/bench/*/bench_*; do [ -x "$b" ] && "$b"; done ;;
  sim)
    build build
    exec ./build/tools/simulator/irmodule-sim "$@" ;;
  *)
    echo "usage: $0 run|test|asan|tsan|bench|sim" >&2; exit 2 ;;
esac
