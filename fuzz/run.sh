#!/usr/bin/env bash
# Replays the committed corpora of every fuzz target, then fuzzes each target for a while.
#   fuzz/run.sh BIN_DIR [SECONDS_PER_TARGET] [TARGET...]
# New inputs found while fuzzing go to a scratch corpus under the build folder, never into the
# committed corpus; a crash, a memory error, a leak or a hang stops the script with a non-zero
# exit and leaves the input in build/fuzz/artifacts/.
set -euo pipefail

bin_dir=${1:?usage: fuzz/run.sh BIN_DIR [SECONDS] [TARGET...]}
seconds=${2:-60}
shift $(( $# >= 2 ? 2 : 1 ))
here=$(cd "$(dirname "$0")" && pwd)
work=$(cd "$bin_dir/.." && pwd)
artifacts="$work/artifacts"
mkdir -p "$artifacts"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for exe in "$bin_dir"/fuzz_*; do
    [ -x "$exe" ] && targets+=("$(basename "$exe")")
  done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $bin_dir" >&2; exit 1; }

common=(-timeout=10 -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$artifacts/" -print_final_stats=1)
# Scratch files of the targets, in memory where the system offers it, removed at the end.
KR39_FUZZ_SCRATCH=$(mktemp -d /dev/shm/kr39-fuzz.XXXXXX 2>/dev/null || mktemp -d)
export KR39_FUZZ_SCRATCH
trap 'rm -rf "$KR39_FUZZ_SCRATCH"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

for target in "${targets[@]}"; do
  exe="$bin_dir/$target"
  corpus="$here/corpus/${target#fuzz_}"
  [ -d "$corpus" ] || { echo "missing seed corpus $corpus" >&2; exit 1; }
  dict="$here/${target#fuzz_}.dict"
  extra=()
  [ -f "$dict" ] && extra+=(-dict="$dict")

  log="$work/$target.log"
  echo "== $target: replaying $(ls "$corpus" | wc -l) committed inputs"
  if ! "$exe" "${common[@]}" "${extra[@]}" -runs=0 "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "$target failed on a committed input; log in $log" >&2
    exit 1
  fi

  if [ "$seconds" -gt 0 ]; then
    scratch="$work/corpus/${target#fuzz_}"
    mkdir -p "$scratch"
    echo "== $target: fuzzing for $seconds s"
    if ! "$exe" "${common[@]}" "${extra[@]}" -max_total_time="$seconds" "$scratch" "$corpus" >"$log" 2>&1; then
      tail -n 60 "$log" >&2
      echo "$target failed; the input is in $artifacts, the log in $log" >&2
      exit 1
    fi
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|Done [0-9]+ runs)' "$log" || tail -n 2 "$log"
  fi
done
echo "== all fuzz targets passed"
