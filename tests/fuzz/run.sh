#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz into build/fuzz/ and runs each for a while.
# Usage: tests/fuzz/run.sh [seconds-per-harness, default 10]
# Prints the executions and coverage of each run; exits non-zero when a harness finds a crash,
# a failed check or a hang (the input that did it is kept under build/fuzz/crashes/).
set -euo pipefail

seconds=${1:-10}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/fuzz
src=$out/src
mkdir -p "$src" "$out/obj" "$out/crashes" "$out/logs"

# The program's sources are UTF-8 and its narrow literals GBK. Clang knows no execution charset
# but UTF-8, so each non-ASCII character of the sources is spelled as the octal escapes of its
# GB18030 bytes (octal, because a hex escape would swallow a following letter or digit, and an
# escape, because a raw trail byte 0x5C would start one). Escapes in comments do no harm.
to_gbk_escapes() {
  iconv -f UTF-8 -t GB18030 "$1" | perl -0777 -pe \
    's/([\x81-\xFE](?:[\x30-\x39][\x81-\xFE][\x30-\x39]|[\x40-\x7E\x80-\xFE]))/join "", map { sprintf "\\%03o", ord } split \/\/, $1/ge'
}

changed=0
for f in "$root"/runtime/*.h "$root"/runtime/*.cpp "$root"/config/*.h "$root"/config/*.cpp \
         "$root"/ui/model/edit_rules.h "$root"/ui/model/edit_rules.cpp \
         "$root"/tests/fuzz/*.h "$root"/tests/fuzz/*.cpp; do
  rel=${f#"$root"/}
  mkdir -p "$src/$(dirname "$rel")"
  to_gbk_escapes "$f" >"$src/$rel.new"
  if cmp -s "$src/$rel.new" "$src/$rel"; then rm "$src/$rel.new"; else mv "$src/$rel.new" "$src/$rel"; changed=1; fi
done

CXX=${CXX:-clang++}
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -Wall -Wextra -Wno-invalid-source-encoding
       -fsanitize=address,undefined -fno-sanitize-recover=undefined -I"$src")

# Each harness and the program's sources it needs.
declare -A sources=(
  [ini_reader]="tests/fuzz/ini_reader_fuzz.cpp runtime/ini_store.cpp runtime/encoding.cpp
                runtime/encoding_posix.cpp"
  [ini_writer]="tests/fuzz/ini_writer_fuzz.cpp runtime/ini_store.cpp runtime/encoding.cpp
                runtime/encoding_posix.cpp"
  [text]="tests/fuzz/text_fuzz.cpp runtime/text.cpp runtime/fatal.cpp runtime/fatal_posix.cpp
          config/rate_rules.cpp config/prize_table.cpp runtime/ini_store.cpp runtime/ini.cpp
          ui/model/edit_rules.cpp runtime/file_io_posix.cpp runtime/files_posix.cpp
          runtime/encoding.cpp runtime/encoding_posix.cpp"
)
harnesses=(ini_reader ini_writer text)

compile() {  # source -> object, again only when a converted source or header changed
  local rel=$1 obj=$out/obj/${1//\//_}.o
  if [ "$changed" = 1 ] || [ ! -f "$obj" ]; then
    "$CXX" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$src/$rel" -o "$obj"
  fi
  echo "$obj"
}

echo "fuzz: building ${harnesses[*]} in $out" >&2
for h in "${harnesses[@]}"; do
  objs=()
  for rel in ${sources[$h]}; do objs+=("$(compile "$rel")"); done
  if [ "$changed" = 1 ] || [ ! -x "$out/$h" ]; then
    "$CXX" "${flags[@]}" -fsanitize=fuzzer "${objs[@]}" -o "$out/$h"
  fi
done

status=0
for h in "${harnesses[@]}"; do
  mkdir -p "$out/corpus/$h"
  log=$out/logs/$h.txt
  rc=0
  # The first folder gathers what the fuzzer finds; the checked-in seeds are only read.
  "$out/$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/crashes/$h-" "$out/corpus/$h" "$root/tests/fuzz/corpus/$h" \
    >"$log" 2>&1 || rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\) corp: \([0-9]*\).*/cov \1, features \2, corpus \3/p' <<<"$last")
  if [ "$rc" = 0 ]; then
    echo "fuzz $h: ${execs:-?} executions in ${seconds} s, ${cov:-no coverage line}"
  else
    status=1
    echo "fuzz $h: FAILED (exit $rc) after ${execs:-?} executions; log $log"
    grep -E 'ERROR|SUMMARY|Test unit written|^    #[0-9]+ ' "$log" | head -n 20 || true
  fi
done
exit $status
