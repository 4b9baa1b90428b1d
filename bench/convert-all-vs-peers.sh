#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Pelorin developers
# "Convert all" against libvips' vipsthumbnail, GraphicsMagick's and ImageMagick's mogrify on the
# same folder in the same run, JPEG quality 75: seconds, pictures per second and Pelorin's wall
# time over each peer's (below 1: Pelorin is faster), the median of several rounds; then
# Pelorin's full-size JPEG, PNG and WEBP with the largest worker's peak memory, and the worst
# PSNR of the reduced read and resampling against the full read with Catmull-Rom.
# Usage: bench/convert-all-vs-peers.sh [build dir] [folder of JPEG photos] [rounds]
# Without a folder, 12 photos of 6000x4000 are made from the camera files in $RAWS (default
# ../shared/testdata/raw beside the project), else from ImageMagick's plasma fractal.
set -eu
build=${1:-build}
rounds=${3:-3}

missing=""
command -v vipsthumbnail >/dev/null || missing="$missing libvips-tools"
command -v gm >/dev/null || missing="$missing graphicsmagick"
command -v mogrify >/dev/null || missing="$missing imagemagick"
[ -x /usr/bin/time ] || missing="$missing time"
if [ -n "$missing" ]; then
  echo "missing: sudo apt-get install$missing" >&2
  exit 1
fi
for tool in convert_all_bench resample_bench pelorin-worker; do
  if [ ! -x "$build/bin/$tool" ]; then
    echo "missing $build/bin/$tool: cmake --build $build --target convert_all_bench resample_bench pelorin_worker" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

raws=${RAWS:-$(dirname "$0")/../../shared/testdata/raw}
if [ -n "${2:-}" ]; then
  source=$2
elif ls "$raws"/*.dng >/dev/null 2>&1; then
  source=$work/source
  echo "making 12 photos of 6000x4000 from the camera files in $raws..."
  "$build/bin/resample_bench" photos "$raws"/* "$source" 12 6000x4000
else
  source=$work/source
  mkdir -p "$source"
  echo "making 12 pictures of 6000x4000 with ImageMagick..."
  for i in $(seq -w 1 12); do
    convert -size 6000x4000 -seed "$i" plasma:fractal -quality 90 "$source/photo-$i.jpg"
  done
fi
count=$(ls "$source" | wc -l)
echo "$count pictures in $source, $(nproc) cores, $rounds rounds"

# One round of a peer: "seconds peak-kB" on a fresh copy of the folder, whose files follow the
# command given.
peer() {
  rm -rf "$work/peer" "$work/out" && cp -r "$source" "$work/peer" && mkdir "$work/out"
  if ! /usr/bin/time -f "%e %M" -o "$work/time" "$@" "$work"/peer/* >/dev/null 2>"$work/errors"; then
    echo "failed: $*" >&2
    cat "$work/errors" >&2
    exit 1
  fi
  tail -n 1 "$work/time"
}
pelorin() { # case: "seconds peak-kB" of the largest worker
  "$build/bin/convert_all_bench" "$source" "$1" | awk '{ print $1, $3 }'
}

# Each case's figures of all rounds, one line a round, in $work/<case>.
cases="pelorin-1920 vips-1920 gm-1920 im-1920 pelorin-full gm-full im-full pelorin-png pelorin-webp"
for round in $(seq 1 "$rounds"); do
  pelorin jpeg-1920 >>"$work/pelorin-1920"
  peer vipsthumbnail --size 1920 -o "$work/out/%s.jpg[Q=75]" >>"$work/vips-1920"
  peer gm mogrify -format jpg -quality 75 -resize 1920x1920 >>"$work/gm-1920"
  peer mogrify -format jpg -quality 75 -resize 1920x1920 >>"$work/im-1920"
  pelorin jpeg-full >>"$work/pelorin-full"
  peer gm mogrify -format jpg -quality 75 >>"$work/gm-full"
  peer mogrify -format jpg -quality 75 >>"$work/im-full"
  pelorin png >>"$work/pelorin-png"
  pelorin webp >>"$work/pelorin-webp"
  echo "round $round of $rounds done"
done

median() { # file, column: the median of the rounds
  cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
row() { # label, case, Pelorin's case to compare with
  seconds=$(median "$work/$2" 1)
  peak=$(median "$work/$2" 2)
  ours=$(median "$work/$3" 1)
  awk -v label="$1" -v s="$seconds" -v k="$peak" -v o="$ours" -v n="$count" \
    'BEGIN { printf "%-34s %8.2f %11.2f %14.2f %9.0f\n", label, s, n / s, o / s, k / 1024 }'
}
echo
printf "%-34s %8s %11s %14s %9s\n" tool seconds pictures/s "Pelorin/tool" "peak MB"
row "Pelorin, large side 1920" pelorin-1920 pelorin-1920
row "vipsthumbnail --size 1920" vips-1920 pelorin-1920
row "gm mogrify, large side 1920" gm-1920 pelorin-1920
row "mogrify, large side 1920" im-1920 pelorin-1920
row "Pelorin, full size" pelorin-full pelorin-full
row "gm mogrify, full size" gm-full pelorin-full
row "mogrify, full size" im-full pelorin-full
row "Pelorin, PNG full size" pelorin-png pelorin-png
row "Pelorin, WEBP full size" pelorin-webp pelorin-webp
echo "(Pelorin's peak MB: its largest worker; a peer's: its process)"
echo
"$build/bin/resample_bench" psnr "$source" 1920 | tail -n 1
