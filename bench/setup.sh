# Sourced first by every benchmark script: strict mode, the repository root as working directory
# and bench_programs, which finds or builds the programs a benchmark runs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# bench_programs [--bench] TARGET...: installs the Debian packages (with --bench also the tools
# the benchmarks compare against) and sets $bin to the absolute directory holding the TARGETs:
# $VELM_BENCH_BIN when set, else a Release build of them in build-bench.
bench_programs() {
  local deps=()
  if [[ "${1:-}" == --bench ]]; then
    deps=(--bench)
    shift
  fi
  scripts/install-deps "${deps[@]}"
  bin=${VELM_BENCH_BIN:-}
  if [[ -z "$bin" ]]; then
    cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELM_BUILD_BENCH=ON >/dev/null
    cmake --build build-bench -j "$(nproc)" --target "$@"
    bin=build-bench/bin
  fi
  bin=$(realpath "$bin")
}
