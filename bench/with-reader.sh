#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Pelorin developers
# Runs a command as a screen reader user would: under Xvfb with a window manager, a session bus,
# the accessibility bus and Orca, whose speech goes to $ORCA_LOG (/tmp/orca.log). Needs xvfb,
# dbus, at-spi2-core, orca and openbox. Orca ends every other Orca of the same user: run it as a
# user of its own when others may be using Orca on the machine.
# Usage: bench/with-reader.sh build/bin/typing_bench
set -eu
exec xvfb-run -a -s '-screen 0 1280x1024x24' dbus-run-session -- sh -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  openbox > /dev/null 2>&1 &
  sleep 1
  orca --replace --debug-file="${ORCA_LOG:-/tmp/orca.log}" > /dev/null 2>&1 &
  orca=$!
  sleep 8
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
  # Ended so that it writes out its log; its speech server goes with it.
  kill -TERM $orca; sleep 3
  pkill -u "$(id -u)" -x speech-dispatch 2>/dev/null || true
' sh "$@"
