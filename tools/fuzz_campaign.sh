#!/bin/sh
# The long fuzzing campaign: every fuzz target under AddressSanitizer and
# UndefinedBehaviorSanitizer until it has made FUZZ_RUNS executions in all
# (default 10 million), starting from the seed corpora that the simulators
# generate at build time and the target's dictionary in fuzz/dict.
#
# The corpora and the executions made so far are kept in FUZZ_CORPUS_DIR
# (default fuzz-corpus), so the campaign can be run in pieces: each run goes
# on where the last stopped, and a target that has reached FUZZ_RUNS is
# skipped. FUZZ_SECONDS limits each target's share of one run (0: no limit);
# FUZZ_TARGETS lists the targets to run (names as in fuzz/, default all);
# FUZZ_MAX_LEN caps the input size (default 2048 bytes: a few frames of
# every family, several times faster than the whole seed streams).
# Inputs that crash a target are kept in FUZZ_CORPUS_DIR/<target>.findings.
#
# Exit status: 0 when no target found a fault, 1 otherwise.
set -eu
cd "$(dirname "$0")/.."

BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
CORPUS=${FUZZ_CORPUS_DIR:-fuzz-corpus}
RUNS=${FUZZ_RUNS:-10000000}
LIMIT=${FUZZ_SECONDS:-0}
MAX_LEN=${FUZZ_MAX_LEN:-2048}
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}

command -v clang++ >/dev/null 2>&1 || { echo "fuzz-campaign: clang++ is needed for libFuzzer" >&2; exit 1; }
LAUNCHER=""
command -v ccache >/dev/null 2>&1 && LAUNCHER="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ $LAUNCHER \
  -DKSPARSE_LIBFUZZER=ON -DKSPARSE_SANITIZE=address,undefined \
  -DKSPARSE_BUILD_TESTS=OFF -DKSPARSE_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS"

TARGETS=${FUZZ_TARGETS:-$(cd "$BUILD/fuzz" && ls -- *_fuzz)}
mkdir -p "$CORPUS"
failed=0
printf '%-22s %12s %12s %8s %s\n' target "runs now" "runs total" edges result
for target in $TARGETS; do
  exe="$BUILD/fuzz/$target"
  [ -x "$exe" ] || { echo "fuzz-campaign: no target $target" >&2; failed=1; continue; }
  count_file="$CORPUS/$target.runs"
  before=$(cat "$count_file" 2>/dev/null || echo 0)
  left=$((RUNS - before))
  if [ "$left" -le 0 ]; then
    printf '%-22s %12s %12s %8s %s\n' "$target" 0 "$before" - "done before"
    continue
  fi
  mkdir -p "$CORPUS/$target" "$CORPUS/$target.findings"
  log="$CORPUS/$target.log"
  status=ok
  # New inputs go to the first directory, the kept corpus; the seeds are
  # only read.
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$exe" -runs="$left" -max_total_time="$LIMIT" -max_len="$MAX_LEN" -print_final_stats=1 \
    -dict="fuzz/dict/${target%_fuzz}.dict" -artifact_prefix="$CORPUS/$target.findings/" \
    "$CORPUS/$target" "$BUILD/fuzz/seeds/$target" >"$log" 2>&1 || status=FAULT
  made=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  made=${made:-0}
  edges=$(grep -o ' cov: [0-9]*' "$log" | tail -n 1 | tr -dc 0-9)
  echo $((before + made)) >"$count_file"
  printf '%-22s %12s %12s %8s %s\n' "$target" "$made" $((before + made)) "${edges:--}" "$status"
  if [ "$status" != ok ]; then
    failed=1
    tail -n 40 "$log" >&2
  fi
done
exit $failed
