#!/usr/bin/env bash
# Builds one libFuzzer target with AddressSanitizer and UBSan and runs it for a while on
# its seed corpus: scripts/fuzz.sh fuzz_exchange 60 (or fuzz_rtf). A crash leaves its
# input as crash-* in the working folder; add it to tests/data/fuzz as a regression file.
set -euo pipefail
target="${1:?usage: scripts/fuzz.sh fuzz_exchange|fuzz_rtf|fuzz_intake|fuzz_photo|fuzz_movein SECONDS}"
seconds="${2:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" fuzz
# Recipe documents are short: inputs past 4 KB only slow the RTF reader's run down, where
# an exchange file's sections and recipes need room to nest.
case "$target" in
    fuzz_exchange) corpus="$root/tests/data/fuzz/exchange" max_len=16384 ;;
    fuzz_rtf) corpus="$root/tests/data/fuzz/rtf" max_len=4096 ;;
    fuzz_intake) corpus="$root/tests/data/intake" max_len=16384 ;;
    # Small pictures: a few kilobytes already claim any size and reach every decoder.
    fuzz_photo) corpus="$root/tests/data/fuzz/photo" max_len=8192 ;;
    # One entry of a collection: a nested archive, a gzip stream, JSON of each program.
    fuzz_movein) corpus="$root/tests/data/fuzz/movein" max_len=16384 ;;
    *) echo "unknown target: $target" >&2; exit 2 ;;
esac
build="${OVELTA_FUZZ_DIR:-$root/build-fuzz}"
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DOVELTA_BUILD_TESTS=OFF -DOVELTA_BUILD_BENCH=OFF -DOVELTA_BUILD_FUZZERS=ON \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$build" --target "$target"
# New inputs it finds go to a scratch folder; the corpus in git stays as it is.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Qt keeps objects to the end of the process, so leaks are not looked for. Allocation
# stacks (they only lengthen a report) and the fill of new blocks go too: together they
# cost a third of the speed. Overflows and use after free are caught as before. Picture
# decoders free tens of megabytes an input: held in the default 256 MB quarantine and the
# allocator's caches they alone reach the 2 GB limit within a minute, so freed blocks wait
# less and go back to the system sooner.
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:malloc_context_size=0:max_malloc_fill_size=0:quarantine_size_mb=16:allocator_release_to_os_interval_ms=200
"$build/bin/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" "$corpus"
