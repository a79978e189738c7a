#!/usr/bin/env bash
# Whole-file benchmark: tarnvik, cp, dd and the segyio peer converter run
# alternately on the same inputs held in the page cache. Prints, for each,
# the median and the fastest run and their ratios to cp, to dd and to the
# peer, and tarnvik's peak resident memory.
#
# cp copies inside the kernel (copy_file_range) where it can; dd with 1 MiB
# blocks reads and writes through a buffer, the least any converter must do.
#
#   bench/run.sh [SIZE_MIB] [RUNS]      (defaults: 1024 MiB, 7 runs)
#
# Needs a build with -DTARNVIK_BENCH=ON in $BUILD (default: build) and room
# for the inputs and outputs in $BENCH_DIR (default: /tmp/tarnvik-bench).
set -euo pipefail
size=${1:-1024}
runs=${2:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${BUILD:-$root/build}" && pwd)
dir=${BENCH_DIR:-/tmp/tarnvik-bench}
mkdir -p "$dir"
cd "$dir"

for tool in tarnvik make-segy bench/segyio-peer; do
  [ -x "$build/$tool" ] || { echo "missing $build/$tool: configure with -DTARNVIK_BENCH=ON" >&2; exit 1; }
done

# Seconds taken by a command, from bash's own clock.
seconds() {
  local start=$EPOCHREALTIME
  "$@"
  local end=$EPOCHREALTIME
  echo "$start $end" | awk '{ printf "%.4f\n", $2 - $1 }'
}

run_tarnvik() { "$build/tarnvik" < answers > tarnvik.log; }
run_cp() { cp "$1" cp.out; }
run_dd() { dd if="$1" of=dd.out bs=1M status=none; }
run_peer() { "$build/bench/segyio-peer" "$1" peer.out > peer.log; }

# Median and minimum of the numbers on standard input.
stats() { sort -g | awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%s %s\n", m, v[1] }'; }

printf '%-12s %-8s %8s %8s %8s %8s %8s %8s %9s %9s\n' input tool median fastest \
  "med/cp" "fast/cp" "med/dd" "fast/dd" "med/peer" "fast/peer"
for input_kind in "ibm-1000:1:1000" "ibm-6000:1:6000" "int16-1000:3:1000"; do
  IFS=: read -r name format samples <<< "$input_kind"
  input="$name-${size}MiB.sgy"
  [ -f "$input" ] || "$build/make-segy" "$input" --format "$format" --samples "$samples" --mib "$size"
  printf '\n%s\n0\n\nout.varn\nn\nn\nn\n1\n' "$(basename "$input")" > answers
  cat "$input" > /dev/null  # into the page cache
  : > t.tarnvik; : > t.cp; : > t.dd; : > t.peer
  for _ in $(seq "$runs"); do
    rm -f out.varn; seconds run_tarnvik >> t.tarnvik
    rm -f cp.out; seconds run_cp "$input" >> t.cp
    rm -f dd.out; seconds run_dd "$input" >> t.dd
    rm -f peer.out; seconds run_peer "$input" >> t.peer
  done
  read -r cp_med cp_min < <(stats < t.cp)
  read -r dd_med dd_min < <(stats < t.dd)
  read -r peer_med peer_min < <(stats < t.peer)
  for tool in tarnvik cp dd peer; do
    read -r med min < <(stats < "t.$tool")
    awk -v n="$name" -v t="$tool" -v m="$med" -v f="$min" -v cm="$cp_med" -v cf="$cp_min" \
        -v dm="$dd_med" -v df="$dd_min" -v pm="$peer_med" -v pf="$peer_min" \
        'BEGIN { printf "%-12s %-8s %7.3fs %7.3fs %8.2f %8.2f %8.2f %8.2f %9.2f %9.2f\n", n, t, m, f, m / cm, f / cf, m / dm, f / df, m / pm, f / pf }'
  done
  rm -f out.varn cp.out dd.out peer.out
done

echo
echo "peak resident memory of tarnvik (KiB), by input size:"
for mib in 100 2048; do
  input="ibm-1000-${mib}MiB.sgy"
  [ -f "$input" ] || "$build/make-segy" "$input" --format 1 --samples 1000 --mib "$mib"
  printf '\n%s\n0\n\nout.varn\nn\nn\nn\n1\n' "$input" > answers
  rm -f out.varn
  /usr/bin/time -f "  ${mib} MiB input: %M KiB" "$build/tarnvik" < answers > tarnvik.log
  rm -f out.varn
done
