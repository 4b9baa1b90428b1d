#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Pelorin developers
# "Convert all" against libvips, GraphicsMagick and ImageMagick on the same folder in the same
# run, for each output format: JPEG quality 75 resized to 1920 on the large side and at full
# size, PNG, WEBP quality 75 and TIFF (LZW) at full size. For each: seconds, pictures per second,
# Pelorin's wall time over the tool's (below 1: Pelorin is faster), the peak memory of Pelorin's
# largest worker or of the tool's process, and the bytes written; the median of several rounds.
# Then the quality: the worst PSNR of the resized path against the full read with Catmull-Rom,
# the WEBP files' PSNR against the decoded source, and PNG's size against the image library's
# default compression.
# Usage: bench/convert-all-vs-peers.sh [build dir] [folder of JPEG photos] [rounds]
# With BASELINE set to another build directory (of another version, with this convert_all_bench),
# that build's Pelorin runs each case too, for figures before and after a change in one run.
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
megapixels=$(identify -format '%w %h\n' "$source"/* 2>/dev/null |
  awk '{ m = $1 * $2 / 1e6; s += m; if (!lo || m < lo) lo = m; if (m > hi) hi = m }
       END { printf "%.1f to %.1f megapixels, %.0f in all", lo, hi, s }')
echo "$count pictures in $source ($megapixels), $(nproc) cores, $rounds rounds"
workers=$(nproc)

# One round of a tool: "seconds peak-kB bytes" on a fresh copy of the folder, the output in
# $work/out. "each": the command runs once a picture, as many at a time as there are cores,
# with the source and the output path last (the picture's name, then the extension given with
# any options in brackets); "all": the command runs in the folder of the copies, which follow it
# by name, and names $OUT for the output folder.
peer() { # each|all, extension, command...
  mode=$1 extension=$2
  shift 2
  rm -rf "$work/peer" "$work/out" && cp -r "$source" "$work/peer" && mkdir "$work/out"
  : >"$work/list"
  for f in "$work"/peer/*; do
    name=${f##*/}
    printf '%s\0%s\0' "$f" "$work/out/${name%.*}.$extension" >>"$work/list"
  done
  if [ "$mode" = each ]; then
    set -- xargs -0 -n 2 -P "$workers" "$@"
  else
    set -- sh -c 'cd "$0" && exec "$@" *' "$work/peer" "$@"
  fi
  if ! OUT=$work/out /usr/bin/time -f "%e %M" -o "$work/time" "$@" <"$work/list" \
    >/dev/null 2>"$work/errors"; then
    echo "failed: $*" >&2
    cat "$work/errors" >&2
    exit 1
  fi
  echo "$(tail -n 1 "$work/time") $(cat "$work"/out/* | wc -c)"
}
pelorin() { # case[, build]: "seconds peak-kB bytes" of the largest worker; the output in $work/out
  rm -rf "$work/out" && mkdir "$work/out"
  "${2:-$build}/bin/convert_all_bench" "$source" "$1" "$workers" "$work/out" |
    awk '{ print $1, $3, $4 }'
}
keep() { # what is in $work/out, kept as $work/kept-<name> for the quality checks
  rm -rf "$work/kept-$1" && mv "$work/out" "$work/kept-$1"
}

# Each case's figures of all rounds, one line a round, in $work/<case>.
for round in $(seq 1 "$rounds"); do
  if [ -n "${BASELINE:-}" ]; then
    for format in 1920 jpeg png webp tiff; do
      case $format in 1920) kind=jpeg-1920 ;; jpeg) kind=jpeg-full ;; *) kind=$format ;; esac
      pelorin "$kind" "$BASELINE" >>"$work/baseline-$format"
    done
  fi
  pelorin jpeg-1920 >>"$work/pelorin-1920"
  peer all jpg vipsthumbnail --size 1920 -o "$work/out/%s.jpg[Q=75]" >>"$work/vips-1920"
  peer all jpg sh -c 'exec gm mogrify -output-directory "$OUT" -format jpg -quality 75 -resize 1920x1920 "$@"' sh >>"$work/gm-1920"
  peer all jpg sh -c 'exec mogrify -path "$OUT" -format jpg -quality 75 -resize 1920x1920 "$@"' sh >>"$work/im-1920"

  pelorin jpeg-full >>"$work/pelorin-jpeg"
  peer each 'jpg[Q=75]' vips copy >>"$work/vips-jpeg"
  peer all jpg sh -c 'exec gm mogrify -output-directory "$OUT" -format jpg -quality 75 "$@"' sh >>"$work/gm-jpeg"
  peer all jpg sh -c 'exec mogrify -path "$OUT" -format jpg -quality 75 "$@"' sh >>"$work/im-jpeg"

  pelorin png >>"$work/pelorin-png"
  peer each png vips copy >>"$work/vips-png"
  peer all png sh -c 'exec gm mogrify -output-directory "$OUT" -format png "$@"' sh >>"$work/gm-png"
  peer all png sh -c 'exec mogrify -path "$OUT" -format png "$@"' sh >>"$work/im-png"

  pelorin webp >>"$work/pelorin-webp"
  keep pelorin-webp
  peer each 'webp[Q=75]' vips copy >>"$work/vips-webp"
  keep vips-webp
  peer all webp sh -c 'exec gm mogrify -output-directory "$OUT" -format webp -quality 75 "$@"' sh >>"$work/gm-webp"
  peer all webp sh -c 'exec mogrify -path "$OUT" -format webp -quality 75 "$@"' sh >>"$work/im-webp"

  pelorin tiff >>"$work/pelorin-tiff"
  peer each 'tif[compression=lzw]' vips copy >>"$work/vips-tiff"
  peer all tif sh -c 'exec gm mogrify -output-directory "$OUT" -format tif -compress LZW "$@"' sh >>"$work/gm-tiff"
  peer all tif sh -c 'exec mogrify -path "$OUT" -format tif -compress LZW "$@"' sh >>"$work/im-tiff"
  echo "round $round of $rounds done"
done

median() { # file, column: the median of the rounds
  cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
row() { # label, case, Pelorin's case to compare with
  awk -v label="$1" -v s="$(median "$work/$2" 1)" -v k="$(median "$work/$2" 2)" \
    -v b="$(median "$work/$2" 3)" -v o="$(median "$work/$3" 1)" -v n="$count" \
    'BEGIN { printf "%-32s %8.2f %11.2f %13.2f %8.0f %9.1f\n", label, s, n / s, o / s, k / 1024, b / 1e6 }'
}
echo
printf "%-32s %8s %11s %13s %8s %9s\n" tool seconds pictures/s Pelorin/tool "peak MB" "MB out"
for format in 1920 jpeg png webp tiff; do
  case $format in
  1920) what="JPEG, large side 1920" ;;
  jpeg) what="JPEG full size" ;;
  png) what="PNG full size" ;;
  webp) what="WEBP full size" ;;
  tiff) what="TIFF (LZW) full size" ;;
  esac
  row "Pelorin, $what" "pelorin-$format" "pelorin-$format"
  [ -z "${BASELINE:-}" ] || row "Pelorin of $BASELINE" "baseline-$format" "pelorin-$format"
  row "libvips" "vips-$format" "pelorin-$format"
  row "GraphicsMagick" "gm-$format" "pelorin-$format"
  row "ImageMagick" "im-$format" "pelorin-$format"
done
echo "(libvips: vipsthumbnail for the resize, else vips copy, a picture a process, $workers at a"
echo " time; peak MB: Pelorin's largest worker, a tool's largest process)"
echo
"$build/bin/resample_bench" psnr "$source" 1920 | tail -n 1
webp_psnr() { # folder of WEBP files: the mean and the worst PSNR against the decoded sources
  for f in "$source"/*; do
    name=${f##*/}
    compare -metric PSNR "$f" "$1/${name%.*}.webp" null: 2>&1 || true
    echo
  done | awk '$1 + 0 > 0 { s += $1; n++; if (!w || $1 < w) w = $1 }
              END { printf "mean %.2f dB, worst %.2f dB", s / n, w }'
}
echo "WEBP against the decoded sources: Pelorin $(webp_psnr "$work/kept-pelorin-webp"), libvips $(webp_psnr "$work/kept-vips-webp")"
library=$("$build/bin/resample_bench" encoders "$source" "PNG default" | awk 'NR == 2 { print $NF }')
awk -v ours="$(median "$work/pelorin-png" 3)" -v lib="$library" -v n="$count" \
  'BEGIN { printf "PNG: %.1f MB against %.1f MB with the image library'"'"'s default compression (%+.1f %%)\n", ours / 1e6, lib * n / 1e3, (ours / (lib * n * 1e3) - 1) * 100 }'
