#!/usr/bin/env bash
# Runs two builds of the program on the same game files and answers, each in a fresh directory,
# and checks that they print the same dialogue, end with the same status and leave the same
# files, the four reports byte for byte. The second build may be a Windows one: its console
# output and reports must then have "\r\n" line ends throughout, and are compared with those
# turned into "\n".
#
#   tests/compare_builds.sh REFERENCE_COMMAND OTHER_COMMAND
#   tests/compare_builds.sh "$PWD/build/varnok" "wine $PWD/build-windows/varnok.exe"
#
# The commands run inside the fresh directories: give absolute paths.
# The game files: examples/example.pgn, every tests/data/*.pgn, and the example file with
# "\r\n" line ends. Prints one line per case and a closing count; exits 1 if any case differs.
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 REFERENCE_COMMAND OTHER_COMMAND" >&2
  exit 2
fi
reference=$1
other=$2
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The example file once more, with Windows line ends.
sed 's/$/\r/' "$here/examples/example.pgn" > "$work/example_crlf.pgn"
games=("$here/examples/example.pgn" "$here"/tests/data/*.pgn "$work/example_crlf.pgn")

passed=0
failed=0

# The same text with "\r\n" turned into "\n"; fails if the text has a bare "\n".
unix_line_ends() {
  perl -0777 -ne 'if (/(?<!\r)\n/) { exit 1 } s/\r\n/\n/g; print' "$1"
}

# Runs one command in a fresh directory: run_in DIR COMMAND INPUT_FILE
run_in() {
  (cd "$1" && bash -c "exec $2" < "$3" > console.out 2> /dev/null; echo $? > status)
}

# compare_case NAME GAME_FILE ANSWERS
compare_case() {
  local name=$1 game=$2 answers=$3
  local a="$work/a" b="$work/b"
  rm -rf "$a" "$b"
  mkdir -p "$a" "$b"
  printf '%s' "$answers" > "$work/answers"
  if [ -n "$game" ]; then
    cp "$game" "$a/" && cp "$game" "$b/"
  fi
  run_in "$a" "$reference" "$work/answers"
  run_in "$b" "$other" "$work/answers"

  local problems=()
  [ "$(cat "$a/status")" = "$(cat "$b/status")" ] \
    || problems+=("exit status $(cat "$a/status") against $(cat "$b/status")")
  [ "$(cd "$a" && ls)" = "$(cd "$b" && ls)" ] \
    || problems+=("files: $(cd "$a" && ls | tr '\n' ' ')against $(cd "$b" && ls | tr '\n' ' ')")
  for file in console.out general.dat cluster.dat rating.dat programs.dat; do
    # A file on one side only is told by the list of files.
    [ -e "$a/$file" ] && [ -e "$b/$file" ] || continue
    if ! unix_line_ends "$b/$file" > "$work/other.$file"; then
      problems+=("$file: a line end without \\r")
      continue
    fi
    local expected="$a/$file"
    if [ "$file" = console.out ]; then
      # The run time is whatever the clock said.
      sed -i 's/^CPU time = [0-9]* sec$/CPU time = T sec/' "$a/$file" "$work/other.$file"
    fi
    if ! cmp -s "$expected" "$work/other.$file"; then
      problems+=("$file differs:")
      problems+=("$(diff "$expected" "$work/other.$file" | head -20)")
    fi
  done

  if [ ${#problems[@]} -eq 0 ]; then
    echo "same: $name"
    passed=$((passed + 1))
  else
    echo "DIFFERENT: $name"
    printf '  %s\n' "${problems[@]}"
    failed=$((failed + 1))
  fi
}

for game in "${games[@]}"; do
  base=$(basename "$game" .pgn)
  compare_case "$base.pgn, rating list" "$game" "1$base
2000
0
"
  compare_case "$base.pgn, tournament" "$game" "2$base
1500
"
done
compare_case "example.pgn, at least 20 games, answers with Windows line ends" \
  "$here/examples/example.pgn" $'1example\r\n2000\r\n20\r\n'
compare_case "a missing game file" "" "1missing
2000
0
"

# The calculator: every record of up to 5 wins, 3 draws and 3 losses (the empty one among
# them), at ratings with fractions, in one dialogue; then refused answers.
records=""
rating=2400
for wins in 0 1 2 3 4 5; do
  for draws in 0 1 2 3; do
    for losses in 0 1 2 3; do
      records+="$wins
$draws
$losses
$rating.$wins$draws
y"
      rating=$((rating + 7))
    done
  done
done
compare_case "calculator, 96 records" "" "3${records}n"
compare_case "calculator, refused answers" "" "3x
-1
2147483648
4
1
1
inf
1e999
2400.5
xyn"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
