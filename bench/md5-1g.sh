#!/usr/bin/env bash
# MD5 throughput of AfxGenerateFileMD5Checksum beside md5sum on the same 1 GB file, both
# from a warm page cache: the median of 5 runs each, the runs interleaved, and the ratio
# (ours / md5sum in throughput; at least 0.95 is the goal).
#
#   bench/md5-1g.sh            builds the driver in build-bench/ (Release) and runs
#   BUILD_DIR=dir bench/md5-1g.sh   uses an existing build tree configured with
#                              -DCORDA_BUILD_BENCH=ON
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cache="$root/bench/cache"
data="$cache/md5-1g.bin"
build="${BUILD_DIR:-$root/build-bench}"
runs=5

mkdir -p "$cache"
if [ ! -f "$data" ] || [ "$(stat -c %s "$data")" -ne 1073741824 ]; then
  echo "creating $data"
  head -c 1073741824 /dev/urandom > "$data.tmp"
  mv "$data.tmp" "$data"
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORDA_BUILD_BENCH=ON \
    -DCORDA_BUILD_TESTS=OFF >/dev/null
fi
# Builds on this machine are serialized.
flock /tmp/corda-build.lock cmake --build "$build" --target md5bench -j2 | tail -1
driver="$build/bench/md5bench"

# Warm the page cache so that both read the same memory-speed input.
cat "$data" > /dev/null

now() { date +%s.%N; }
ours=()
theirs=()
for ((i = 0; i < runs; i++)); do
  line=$("$driver" "$data" 1 | head -1)
  ours+=("${line%% *}")
  ourSum="${line##* }"
  start=$(now)
  theirSum=$(md5sum "$data" | cut -c1-32)
  end=$(now)
  theirs+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.6f", e - s }')")
  if [ "$ourSum" != "$theirSum" ]; then
    echo "checksums differ: $ourSum (ours) $theirSum (md5sum)" >&2
    exit 1
  fi
done

median() { printf '%s\n' "$@" | sort -g | sed -n "$(( ($# + 1) / 2 ))p"; }
m_ours=$(median "${ours[@]}")
m_theirs=$(median "${theirs[@]}")
awk -v a="$m_ours" -v b="$m_theirs" 'BEGIN {
  printf "AfxGenerateFileMD5Checksum  median %.3f s  %7.1f MB/s\n", a, 1024 / a
  printf "md5sum                      median %.3f s  %7.1f MB/s\n", b, 1024 / b
  printf "ratio (throughput, ours / md5sum)  %.3f\n", b / a
}'
