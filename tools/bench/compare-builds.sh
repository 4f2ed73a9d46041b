#!/usr/bin/env bash
# The snippet-scale figures of two Release builds, run in turns in one run so
# that the machine's load falls on both alike: the Track View's redraw at
# 1900 x 940 of the whole 90 minutes and of 10 s (median of a case's redraws),
# and opening and saving a project (median of a case's repetitions), for 200,
# 2,000 and 20,000 snippets on 24 tracks, and 20,000 on one track. Each figure
# is the median over the rounds; a case that fails its own check (a picture
# unlike the plain walk's, a project that does not save back as it was read)
# stops the run.
#
#   tools/bench/compare-builds.sh OLD_BUILD NEW_BUILD [ROUNDS]
set -euo pipefail
old=${1:?old build folder}
new=${2:?new build folder}
rounds=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Benchmark csv rows as "build case value" lines.
views() {
  "$1/bin/track_view_bench" --benchmark_filter='w:1900' --benchmark_format=csv 2>/dev/null |
    awk -F, -v b="$2" '
      NR == 1 { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); col[$i] = i }; next }
      $col["error_occurred"] == "true" { print "FAIL " $1 " " $col["error_message"] > "/dev/stderr"; exit 1 }
      { gsub(/"/, "", $1); split($1, p, "/"); print b, "redraw-" p[2] "-" p[3] "-" p[6], $col["median_ms"] }'
}

projects() {
  "$1/bin/project_bench" --benchmark_filter='BM_(Open|Save)Project/[0-9]+(/1)?/' --benchmark_format=csv 2>/dev/null |
    awk -F, -v b="$2" '
      NR == 1 { for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); col[$i] = i }; next }
      $col["error_occurred"] == "true" { print "FAIL " $1 " " $col["error_message"] > "/dev/stderr"; exit 1 }
      $1 ~ /_median"?$/ {
        gsub(/"/, "", $1); split($1, p, "/")
        if (p[1] == "BM_OpenProject" && p[3] != "1") next  # the case with effects
        print b, (p[1] == "BM_OpenProject" ? "open-" : "save-") p[2], $col["real_time"] }'
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq 1 "$rounds"); do
  for build in old new; do
    dir=$old
    [[ $build == new ]] && dir=$new
    views "$dir" "$build" >>"$work/figures" || exit 1
    projects "$dir" "$build" >>"$work/figures" || exit 1
    echo "round $round, $build build done; load average $(cut -d' ' -f1-3 /proc/loadavg)"
  done
done

# Median over the rounds of one build's case.
figure() {
  awk -v b="$1" -v c="$2" '$1 == b && $2 == c { print $3 }' "$work/figures" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR) printf "%.2f", v[int((NR + 1) / 2)]; else printf "-" }'
}

printf '\n%-26s %10s %10s\n' "case (ms)" "old" "new"
for n in 200 2000 20000; do
  for c in "redraw-snippets:$n-tracks:24-frames:238140000" "redraw-snippets:$n-tracks:24-frames:441000" \
           "open-$n" "save-$n"; do
    label=${c//snippets:/}
    label=${label//-tracks:24/}
    label=${label//-frames:238140000/ whole}
    label=${label//-frames:441000/ 10 s}
    printf '%-26s %10s %10s\n' "$label" "$(figure old "$c")" "$(figure new "$c")"
  done
done
for c in "redraw-snippets:20000-tracks:1-frames:238140000" "redraw-snippets:20000-tracks:1-frames:441000"; do
  label=${c//-frames:238140000/ whole}
  label=${label//-frames:441000/ 10 s}
  label=${label//redraw-snippets:20000-tracks:1/redraw-20000 on 1 track}
  printf '%-26s %10s %10s\n' "$label" "$(figure old "$c")" "$(figure new "$c")"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
