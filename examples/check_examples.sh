#!/bin/sh
# Keeps the examples' index whole: every example directory has its one source, is built by
# examples/CMakeLists.txt in its language's list, has a line in examples/README.md with its
# picture in docs/examples, and a headless run in tests/api. Usage: check_examples.sh ROOT
set -eu
root=$1
cd "$root"
fail=0
bad() { echo "FAIL: $*"; fail=1; }
count=0 c_count=0
for dir in examples/*/; do
  name=$(basename "$dir")
  if [ -f "$dir$name.c" ]; then lang=C list=QUIB_C_EXAMPLES ext=c c_count=$((c_count + 1))
  elif [ -f "$dir$name.cpp" ]; then lang=C++ list=QUIB_CXX_EXAMPLES ext=cpp
  else bad "$name: no $name.c or $name.cpp"; continue; fi
  count=$((count + 1))
  # The list of its language, up to the closing parenthesis, as one line.
  sed -n "/set($list/,/)/p" examples/CMakeLists.txt | tr '\n' ' ' | grep -Eq "[ (]${name}[ )]" ||
    bad "$name: not in $list of examples/CMakeLists.txt"
  grep -Fq "| [$name]($name/$name.$ext) | $lang |" examples/README.md ||
    bad "$name: no line for it (as $lang) in examples/README.md"
  grep -Fq "(../docs/examples/$name.png)" examples/README.md || bad "$name: README shows no picture"
  [ -s "docs/examples/$name.png" ] || bad "$name: no docs/examples/$name.png"
  grep -Eq "^  $name\)" tests/api/run_example.sh || bad "$name: no case in tests/api/run_example.sh"
  grep -Eqw "$name" tests/api/CMakeLists.txt || bad "$name: not run by tests/api/CMakeLists.txt"
done
[ "$count" -ge 20 ] || bad "only $count examples"
[ "$c_count" -ge 6 ] || bad "only $c_count examples in C"
[ "$fail" -eq 0 ] && echo "$count examples, $c_count in C: all indexed, built and run"
exit "$fail"
