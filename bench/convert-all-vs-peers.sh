#!/bin/sh
# "Convert all" to JPEG against ImageMagick's and GraphicsMagick's mogrify on the same folder,
# side by side: pictures per second, with a resize to 1920 on the large side and without.
# Needs imagemagick and graphicsmagick (apt-get install imagemagick graphicsmagick).
# Usage: bench/convert-all-vs-peers.sh [build dir] [folder of pictures]
set -eu
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ -n "${2:-}" ]; then
  source=$2
else
  source=$work/source
  mkdir -p "$source"
  echo "making 12 pictures of 6000x4000 with ImageMagick..."
  for i in $(seq -w 1 12); do
    convert -size 6000x4000 -seed "$i" plasma:fractal -quality 90 "$source/photo-$i.jpg"
  done
fi
count=$(ls "$source" | wc -l)

"$build/bin/convert_all_bench" "$source"

peer() { # name, command...; converts a copy of the folder in place
  name=$1
  shift
  rm -rf "$work/peer" && cp -r "$source" "$work/peer"
  start=$(date +%s.%N)
  "$@" "$work"/peer/*
  end=$(date +%s.%N)
  awk -v n="$count" -v s="$start" -v e="$end" -v name="$name" \
    'BEGIN { printf "%-28s %8s %10.2f %14.2f\n", name, "-", e - s, n / (e - s) }'
}
peer "mogrify, large side 1920" mogrify -format jpg -quality 75 -resize 1920x1920
peer "mogrify, full size" mogrify -format jpg -quality 75
peer "gm mogrify, large side 1920" gm mogrify -format jpg -quality 75 -resize 1920x1920
peer "gm mogrify, full size" gm mogrify -format jpg -quality 75
