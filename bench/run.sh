#!/usr/bin/env bash
# Times Varnok against `wc -l` on generated game files, with a warm page cache.
#
#   bash bench/run.sh            # from the root of the source tree
#
# Builds a Release program in $BUILD_DIR (default: build), writes the game files once into
# $BUILD_DIR/bench-data (they are kept for later runs), then for each file runs `wc -l`, a
# rating-list run (menu 1) and a tournament run (menu 2) in turn, each of them first in every
# third round, $RUNS rounds after a warm-up round, and prints the medians, the ratio to
# `wc -l`, MB/s, games/s and the peak resident memory (GNU time's maximum RSS). Then it times
# rating-list runs that show the memory and the limits rather than the reading speed: the
# programs and pairs of the large file with a fifth of its games, 20,000 programs in one
# database, and a chain of 20,000 programs. The large file needs about 2.4 GB of disk and is
# left out when there is less.
#
# Environment: BUILD_DIR, RUNS (default 7), SKIP_LARGE=1 to leave out the 2 GB file.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
RUNS=${RUNS:-7}
mkdir -p "$BUILD_DIR/bench-data"
DATA=$(cd "$BUILD_DIR/bench-data" && pwd)
LARGE_MB=2000 # the 1,000,000-game file (1,960 MB)
FIFTH_MB=400 # the file with its programs and pairs and a fifth of its games
SPARE_MB=200 # reports and room to spare

for tool in cmake /usr/bin/time wc awk; do
  command -v "$tool" >/dev/null || { echo "bench/run.sh needs $tool" >&2; exit 1; }
done

cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target varnok generate_games >/dev/null
VARNOK=$(cd "$BUILD_DIR" && pwd)/varnok
GENERATE=$(cd "$BUILD_DIR" && pwd)/bench/generate_games
mkdir -p "$DATA"

# generate NAME OPTIONS...: writes $DATA/NAME.pgn unless it exists with the same options.
generate() {
  local name=$1
  shift
  local stamp="$DATA/$name.options"
  local options
  options="version $("$GENERATE" --version): $*"
  if [[ -f "$DATA/$name.pgn" && -f "$stamp" && "$(cat "$stamp")" == "$options" ]]; then
    return
  fi
  echo "Writing $DATA/$name.pgn ($*)..."
  rm -f "$stamp"
  "$GENERATE" "$@" --output "$DATA/$name.pgn"
  echo "$options" >"$stamp"
}

free_mb() { df -Pm "$DATA" | awk 'NR == 2 { print $4 }'; }

# timed OUT_PREFIX COMMAND...: runs the command in $DATA with the input in $INPUT, appends
# its wall time in seconds to OUT_PREFIX.time and its peak RSS in KiB to OUT_PREFIX.rss.
timed() {
  local prefix=$1
  shift
  local start end
  start=$EPOCHREALTIME
  (cd "$DATA" && /usr/bin/time -f %M -o "$prefix.rss.last" "$@" <<<"$INPUT" >"$prefix.out")
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.6f\n", e - s }' >>"$prefix.time"
  cat "$prefix.rss.last" >>"$prefix.rss"
}

median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
largest() { sort -g "$1" | tail -n 1; }

# bench NAME GAMES: the three commands on $DATA/NAME.pgn, alternating, and their table rows.
bench() {
  local name=$1 games=$2
  local work="$DATA/$name.timing"
  rm -rf "$work"
  mkdir -p "$work"
  local bytes
  bytes=$(stat -c %s "$DATA/$name.pgn")
  local kinds=(wc rating tournament)
  for round in $(seq 0 "$RUNS"); do
    local tag=$work/r$round
    [[ $round -eq 0 ]] && tag=$work/warm
    # Each command goes first, second and third in turn, so that none always follows another.
    for step in 0 1 2; do
      case ${kinds[$(((round + step) % 3))]} in
        wc) INPUT="" timed "$tag-wc" wc -l "$name.pgn" ;;
        rating) INPUT=$(printf '1%s\n2000\n0' "$name") timed "$tag-rating" "$VARNOK" ;;
        tournament) INPUT=$(printf '2%s\n2000' "$name") timed "$tag-tournament" "$VARNOK" ;;
      esac
    done
  done
  grep -q "games" "$work/warm-rating.out" || { echo "the rating run failed:" >&2; cat "$work/warm-rating.out" >&2; exit 1; }
  for kind in wc rating tournament; do
    cat "$work"/r*-"$kind".time >"$work/$kind.times"
    cat "$work"/r*-"$kind".rss >"$work/$kind.rsss"
  done
  local wc_median
  wc_median=$(median "$work/wc.times")
  for kind in wc rating tournament; do
    local label
    case $kind in
      wc) label="wc -l" ;;
      rating) label="varnok 1 (rating list)" ;;
      tournament) label="varnok 2 (tournament)" ;;
    esac
    local t rss
    t=$(median "$work/$kind.times")
    rss=$(largest "$work/$kind.rsss")
    awk -v name="$name" -v label="$label" -v t="$t" -v wc="$wc_median" -v bytes="$bytes" -v games="$games" -v rss="$rss" \
      'BEGIN { printf "| %-10s | %-24s | %8.3f | %6.2f | %7.0f | %10.0f | %7.1f |\n", name, label, t, t / wc, bytes / 1e6 / t, games / t, rss / 1024 }'
  done
}

echo "Game files in $DATA: about 1.4 GB, and 2.4 GB more for games-1m and games-1m-fifth."
echo "Varnok benchmark: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), $RUNS runs after one warm-up, medians"
echo

generate games-100k --games 100000 --programs 300
large=1
if [[ "${SKIP_LARGE:-0}" == 1 ]]; then
  large=0
else
  needs_mb=0
  [[ -f "$DATA/games-1m.pgn" ]] || needs_mb=$((needs_mb + LARGE_MB))
  [[ -f "$DATA/games-1m-fifth.pgn" ]] || needs_mb=$((needs_mb + FIFTH_MB))
  if [[ $needs_mb -gt 0 && $(free_mb) -lt $((needs_mb + SPARE_MB)) ]]; then
    echo "Skipping the 1,000,000-game file: it needs about $((needs_mb + SPARE_MB)) MB of free disk in $DATA, $(free_mb) MB are free."
    large=0
  fi
fi
if [[ $large == 1 ]]; then
  generate games-1m --games 1000000 --programs 3000
fi
generate programs-20k --games 400000 --programs 20000 --neighbours 3
generate chain-20k --games 200000 --programs 20000 --neighbours 1 --spread 1
if [[ $large == 1 ]]; then
  # The programs and pairs of games-1m, a fifth of its games: the same memory.
  generate games-1m-fifth --games 200000 --programs 3000
fi

echo "| file       | command                  | median s | x wc-l |    MB/s |    games/s | RSS MiB |"
echo "| ---------- | ------------------------ | -------: | -----: | ------: | ---------: | ------: |"
bench games-100k 100000
if [[ $large == 1 ]]; then
  bench games-1m 1000000
fi

# Memory and limits: rating-list runs after a warm-up, the median of three, with the
# program's own summary.
echo
limits=(programs-20k chain-20k)
if [[ $large == 1 ]]; then
  limits=(games-1m-fifth games-1m "${limits[@]}")
fi
for name in "${limits[@]}"; do
  INPUT="" timed "$DATA/$name.warm" wc -l "$name.pgn"
  rm -f "$DATA/$name.time" "$DATA/$name.rss"
  for run in 1 2 3; do
    INPUT=$(printf '1%s\n2000\n0' "$name") timed "$DATA/$name" "$VARNOK"
  done
  summary=$(grep -o '[0-9]* programs, [0-9]* games\|[0-9]* cluster(s)\|[0-9]* iterations' "$DATA/$name.out" | paste -sd ' ')
  printf '%-14s: %6.2f s, %6.1f MiB peak; %s\n' "$name" "$(median "$DATA/$name.time")" \
    "$(awk '{ print $1 / 1024 }' <<<"$(largest "$DATA/$name.rss")")" "$summary"
done
