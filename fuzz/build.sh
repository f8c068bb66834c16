#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and AddressSanitizer into build-fuzz/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DZEMBA_FUZZ=ON -DZEMBA_WITH_GUI=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined"
cmake --build "$root/build-fuzz" -j2 --target fuzz_shp_reader fuzz_side_files fuzz_attributes fuzz_options fuzz_project_files fuzz_dlg fuzz_soil_viewer
