#!/usr/bin/env bash
# Builds the programs and converts the bundled sample run directory into all four
# formats, each into a folder of its own under build/sample-output/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target zn2xml sample_run

out="$build/sample-output"
rm -rf "$out"
for program in zn2xml zn2ts zn2statra zn2csv; do
  dir="$out/${program#zn2}"
  mkdir -p "$dir"
  echo "== $program"
  (cd "$build/sample-run" && ZNPERM="$dir" "$build/$program")
  echo "   written to $dir: $(cd "$dir" && ls | tr '\n' ' ')"
done
echo
echo "The sample run directory is $build/sample-run (made from sample/survey.run)."
