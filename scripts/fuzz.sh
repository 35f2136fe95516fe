#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz/ (KT_FUZZ_BUILD_DIR overrides) and runs each on its seed corpus for a while
# (KT_FUZZ_SECONDS, 60 by default), all at once. A crash, a sanitizer report, a leak outside
# libgsf and fontconfig (tests/app/fuzz/lsan.supp), an input that runs too long or one that uses
# too much memory makes the script fail; what the fuzzer found is kept in build-fuzz/fuzz-artifacts/.
#
# To add a harness: build it only when KT_FUZZ is on (an executable linked with
# -fsanitize=fuzzer, as in tests/app/CMakeLists.txt), put its seeds in a folder under
# tests/data/, and add a line "<cmake target> <seed folder>" to the list below.
set -euo pipefail
cd "$(dirname "$0")/.."

harnesses=(
  "document_fuzzer      tests/data/app/corpus"
  "settings_file_fuzzer tests/data/graph/settings"
  "typed_text_fuzzer    tests/data/graph/typed"
  "versions_file_fuzzer tests/data/app/versions"
)

seconds="${KT_FUZZ_SECONDS:-60}"
dir="${KT_FUZZ_BUILD_DIR:-build-fuzz}"

# clang with its sanitizer and fuzzer runtimes, and the symbolizer for readable reports.
./scripts/setup.sh clang-14 libclang-rt-14-dev llvm-14

targets=()
for entry in "${harnesses[@]}"; do
  read -r target _ <<<"$entry"
  targets+=("$target")
done
flags=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKT_FUZZ=ON
       -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14)
if command -v ccache >/dev/null; then
  flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" --target "${targets[@]}"

root="$(pwd)"
artifacts="$dir/fuzz-artifacts"
mkdir -p "$artifacts"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export LSAN_OPTIONS="suppressions=$root/tests/app/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_SYMBOLIZER_PATH="${ASAN_SYMBOLIZER_PATH:-/usr/lib/llvm-14/bin/llvm-symbolizer}"

pids=()
names=()
for entry in "${harnesses[@]}"; do
  read -r target seeds <<<"$entry"
  program="$(find "$dir/tests" -type f -name "$target" -perm -u+x | head -n 1)"
  if [ -z "$program" ]; then
    echo "fuzz: $target was not built" >&2
    exit 1
  fi
  # New inputs go to a corpus of the build folder; the seeds in the repository stay as they are.
  corpus="$dir/fuzz-corpus/$target"
  mkdir -p "$corpus"
  echo "fuzz: $target for ${seconds}s on $seeds"
  # libgsf and glib carry no frame pointers: the fast unwinder stops in g_malloc, short of the
  # libgsf function that a leak of damaged compound files is suppressed by.
  asan="$ASAN_OPTIONS"
  if [ "$target" = document_fuzzer ]; then
    asan="$asan:fast_unwind_on_malloc=0"
  fi
  # The outer limit catches a fuzzer that stops answering altogether.
  ASAN_OPTIONS="$asan" timeout --kill-after=30 $((seconds * 3 + 120)) \
    "$program" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$target-" "$corpus" "$seeds" >"$dir/fuzz-$target.log" 2>&1 &
  pids+=($!)
  names+=("$target")
done

failed=0
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "fuzz: ${names[$i]}: $(grep -E '^stat::number_of_executed_units' "$dir/fuzz-${names[$i]}.log" || echo 'done')"
  else
    failed=1
    echo "fuzz: ${names[$i]} FAILED; its report ($dir/fuzz-${names[$i]}.log):" >&2
    tail -n 60 "$dir/fuzz-${names[$i]}.log" >&2
  fi
done
exit "$failed"
