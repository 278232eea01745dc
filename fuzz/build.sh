#!/usr/bin/env bash
# Builds every fuzz/*_fuzz.cpp as a libFuzzer target with AddressSanitizer and
# UndefinedBehaviorSanitizer: fuzz/build.sh [BUILD_DIR]
# The library is built once with clang in BUILD_DIR (default build-fuzz);
# the targets land in BUILD_DIR/fuzz/. Run one with, for example,
#   build-fuzz/fuzz/elf_walker_fuzz -max_total_time=60
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build-fuzz}
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -g"

cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$flags -fsanitize=fuzzer-no-link" \
  -DKVX_TESTS=OFF -DKVX_BENCH=OFF >/dev/null
ninja -C "$dir" kvx-launcher

pugixml=$(grep -m1 '^PUGIXML_STATIC:' "$dir/CMakeCache.txt" | cut -d= -f2)
mkdir -p "$dir/fuzz"
for source in "$root"/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  echo "fuzz target $name"
  clang++ -std=c++20 $flags -fsanitize=fuzzer -I "$root/src" "$source" \
    -Wl,--start-group "$dir"/libkvx_*.a -Wl,--end-group "$pugixml" -ldl -o "$dir/fuzz/$name"
done
