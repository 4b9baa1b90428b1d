#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# Checks what installing Pelorin puts on a system: exactly the expected files, and that the
# launcher, the metainfo, the icons and the programs fit together.
#
#   check-install.sh stage BUILD_DIR APP_ID WORKER   # `cmake --install` into DESTDIR
#   check-install.sh deb   BUILD_DIR APP_ID WORKER   # the Debian package, built by cpack
#
# The package must also pass lintian without errors, install with dpkg, and start from there:
# under Xvfb it must show its window, opened on a folder, and end with exit code 2 on Escape.
#
# WORKER is yes when the build has the worker program. Each run works in a fresh folder of its
# own under $TMPDIR, removed when it ends, also on failure or interruption, so that parallel
# runs, of this build or another, never share files.
set -eu

[ $# -eq 4 ] || { echo "usage: $0 stage|deb BUILD_DIR APP_ID yes|no" >&2; exit 2; }
mode=$1 build=$2 id=$3 worker=$4
source_dir=$(cd "$(dirname "$0")/.." && pwd)
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The files below the prefix, one per line, sorted.
expected_files() {
  {
    echo bin/pelorin
    echo share/man/man1/pelorin.1.gz
    echo share/doc/pelorin/copyright
    echo share/doc/pelorin/changelog.Debian.gz
    echo share/lintian/overrides/pelorin
    [ "$worker" = yes ] && echo libexec/pelorin/pelorin-worker
    echo "share/applications/$id.desktop"
    echo "share/metainfo/$id.metainfo.xml"
    echo "share/icons/hicolor/scalable/apps/$id.svg"
    for size in 16 24 32 48 64 128 256; do
      echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
    done
  } | LC_ALL=C sort
}

compare_files() { # what, actual list file
  expected_files >"$work/expected"
  if ! diff -u "$work/expected" "$2" >"$work/diff"; then
    fail "$1 differs from the expected files (- missing, + unexpected):"
    sed -n '4,$p' "$work/diff" >&2
  fi
}

desktop_key() { # file key
  sed -n "s/^$2=//p" "$1" | head -n 1
}

xml_text() { # file tag
  sed -n "s:.*<$2[^>]*>\([^<]*\)</$2>.*:\1:p" "$1"
}

# Width and height from a PNG's header, as WxH.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}

# Checks that the pieces of an installed tree (PREFIX, e.g. .../usr) refer to each other.
check_tree() {
  prefix=$1
  for program in bin/pelorin libexec/pelorin/pelorin-worker; do
    [ -e "$prefix/$program" ] || continue
    [ -x "$prefix/$program" ] || fail "$program is not executable"
  done

  desktop="$prefix/share/applications/$id.desktop"
  metainfo="$prefix/share/metainfo/$id.metainfo.xml"
  [ -f "$desktop" ] && [ -f "$metainfo" ] || return 0

  exec_line=$(desktop_key "$desktop" Exec)
  command=${exec_line%% *}
  [ -x "$prefix/bin/$command" ] || fail "the launcher starts '$command', which is not in bin/"
  icon=$(desktop_key "$desktop" Icon)
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] \
    || fail "the launcher's icon '$icon' is not in the hicolor theme"

  [ "$(xml_text "$metainfo" id)" = "$id" ] || fail "the metainfo's id is not $id"
  [ "$(xml_text "$metainfo" launchable)" = "$id.desktop" ] \
    || fail "the metainfo does not launch $id.desktop"
  [ "$(xml_text "$metainfo" icon)" = "$icon" ] || fail "the metainfo's icon is not '$icon'"
  [ "$(xml_text "$metainfo" binary)" = "$command" ] || fail "the metainfo does not provide '$command'"
  for url in $(xml_text "$metainfo" image); do
    [ -f "$source_dir/docs/screenshots/${url##*/}" ] \
      || fail "screenshot $url is none of docs/screenshots"
  done

  # Wayland compositors find the window's icon and name through the desktop file name.
  grep -q "setDesktopFileName(.*\"$id\"" "$source_dir/ui/app/main.cpp" \
    || fail "ui/app/main.cpp does not set the desktop file name $id"

  for png in "$prefix"/share/icons/hicolor/*x*/apps/*.png; do
    [ -f "$png" ] || continue
    folder=${png%/apps/*}
    folder=${folder##*/}
    size=$(png_size "$png")
    [ "$size" = "$folder" ] || fail "${png#"$prefix"/} is $size pixels"
  done
}

# Installs the package with dpkg into a root of its own (ROOT), with a package database of its
# own: a real dpkg install that needs no root and leaves the system's packages alone. Whether
# Depends can be met on this system, apt tells without installing anything.
install_package() { # deb root
  mkdir -p "$2/var/lib/dpkg/info" "$2/var/lib/dpkg/updates" "$2/var/lib/dpkg/triggers"
  : >"$2/var/lib/dpkg/status"
  dpkg --root="$2" --force-not-root --force-depends --log=/dev/null -i "$1" >"$work/dpkg.log" 2>&1 \
    || { fail "dpkg cannot install the package:"; cat "$work/dpkg.log" >&2; return 1; }
  apt-get install --simulate --no-install-recommends "$1" >"$work/apt.log" 2>&1 \
    || { fail "apt cannot meet the package's Depends:"; cat "$work/apt.log" >&2; }
}

# Starts PROGRAM FOLDER on a display of its own, waits for the window, presses Escape and checks
# the exit code. Preferences and state go to the work folder, never the user's.
run_under_xvfb() { # program folder
  cat >"$work/drive.sh" <<'DRIVE'
"$@" 2>"$WORK/stderr" &
pid=$!
while :; do
  window=$(xdotool search --onlyvisible --name '^Pelorin$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    echo "pelorin ended with $? before showing its window" >&2
    exit 1
  fi
  sleep 0.2
done
xdotool windowfocus --sync "$window" key Escape
wait "$pid"
DRIVE
  mkdir -p "$work/home"
  code=0
  WORK=$work HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
    XDG_STATE_HOME="$work/home/state" XDG_CACHE_HOME="$work/home/cache" QT_QPA_PLATFORM=xcb \
    timeout 120 xvfb-run -a -s '-screen 0 1280x1024x24' sh "$work/drive.sh" "$1" "$2" \
    >"$work/xvfb.log" 2>&1 || code=$?
  if [ "$code" -ne 2 ]; then
    fail "pelorin under Xvfb ended with $code, not 2 (Escape):"
    cat "$work/xvfb.log" "$work/stderr" >&2 2>/dev/null
  fi
}

work=$(mktemp -d "${TMPDIR:-/tmp}/pelorin-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

case $mode in
stage)
  DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" \
    || { cat "$work/install.log" >&2; exit 1; }
  (cd "$work/root/usr" && find . ! -type d | sed 's:^\./::' | LC_ALL=C sort) >"$work/actual"
  [ -z "$(cd "$work/root" && find . -mindepth 1 -maxdepth 1 ! -name usr)" ] \
    || fail "files installed outside the prefix"
  compare_files "the staged install" "$work/actual"
  check_tree "$work/root/usr"
  ;;
deb)
  cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; exit 1; }
  set -- "$work"/pelorin_*.deb
  [ $# -eq 1 ] && [ -f "$1" ] || { echo "FAIL: cpack made no single package" >&2; exit 1; }
  deb=$1
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed -n 's:^\./usr/::p' \
    | LC_ALL=C sort >"$work/actual"
  [ "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/' | grep -vc ' \./usr/')" -eq 0 ] \
    || fail "the package holds files outside /usr"
  compare_files "the package" "$work/actual"
  dpkg-deb -x "$deb" "$work/root"
  check_tree "$work/root/usr"

  # What the programs link must be in Depends, versioned from the libraries' symbols files.
  depends=$(dpkg-deb -f "$deb" Depends)
  for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libfreeimage3 libfreeimageplus3 \
    libexiv2-27 libpng16-16 libwebp7 libwebpmux3; do
    case ", $depends" in
    *", $library (>= "*) ;;
    *) fail "Depends lacks a versioned $library: $depends" ;;
    esac
  done
  echo "Depends: $depends"

  # lintian prints every finding; only errors fail. It warns when run as root, as CI does.
  lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 \
    || fail "lintian finds errors in the package"
  grep -v 'running with root privileges' "$work/lintian.log" || true

  if install_package "$deb" "$work/installed"; then
    program="$work/installed/usr/bin/pelorin"
    # Help and version need no display.
    # The package's version less its revision and pre-release mark.
    version=$(dpkg-deb -f "$deb" Version)
    version=${version%-*}
    version=${version%%~*}
    [ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version)" = "pelorin $version" ] \
      || fail "pelorin --version does not print 'pelorin $version'"
    env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help | grep -q FOLDER \
      || fail "pelorin --help does not show the command line"
    mkdir -p "$work/pictures"
    run_under_xvfb "$program" "$work/pictures"
  fi
  ;;
*)
  echo "unknown mode $mode" >&2
  exit 2
  ;;
esac

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "$mode: all files present and consistent"
