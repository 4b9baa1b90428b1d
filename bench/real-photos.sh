#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Pelorin developers
# Gathers real camera photos of 4 to 24 megapixels into a folder, for convert-all-vs-peers.sh:
# the photographs among Debian's desktop backgrounds (with their cameras' EXIF; some stored
# progressive, as photos edited for the web often are), and one of them enlarged by 16 % to
# 24 megapixels, since none is that large. Needs apt-get (no root: the packages are only
# downloaded and unpacked here) and ImageMagick.
# Usage: bench/real-photos.sh FOLDER
set -eu
out=${1:?usage: bench/real-photos.sh FOLDER}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get download -q mate-backgrounds plasma-workspace-wallpapers >/dev/null)
for deb in "$work"/*.deb; do
  dpkg-deb -x "$deb" "$work/x"
done
mkdir -p "$out"
wallpapers=$work/x/usr/share/wallpapers
mate=$work/x/usr/share/backgrounds/mate
for name in FallenLeaf ColdRipple OneStandsOut Path ColorfulCups; do
  cp "$wallpapers/$name/contents/images/2560x1600.jpg" "$out/$name-4mp.jpg"
done
cp "$mate/nature/TwoWings.jpg" "$out/TwoWings-4mp.jpg"
cp "$mate/nature/Wood.jpg" "$out/Wood-5mp.jpg"
cp "$mate/abstract/Elephants_3840x2160.jpg" "$out/Elephants-8mp.jpg"
cp "$mate/abstract/Elephants_5640x3172.jpg" "$out/Elephants-18mp.jpg"
convert "$out/Elephants-18mp.jpg" -filter Lanczos -resize '6532x3674!' -quality 92 \
  "$out/Elephants-24mp-enlarged.jpg"
ls "$out"
