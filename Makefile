# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Pelorin developers
# The two commands a user needs: `make run` and `make test`.
# Both install what is missing, configure and build in build/.

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Extra ctest arguments, e.g. CTEST_ARGS="--repeat until-fail:3".
CTEST_ARGS ?=
# CI turns warnings into errors; a user's own build only shows them.
WERROR := $(if $(filter true 1,$(CI)),ON,OFF)

# The same sources with AddressSanitizer, UndefinedBehaviorSanitizer and the standard library's
# checks, in a folder of their own; `make test` runs the suite in both.
SANITIZED_DIR ?= build-sanitized

.PHONY: all setup configure build sanitized run test package clean

all: build

setup:
	@scripts/setup

configure: setup
	cmake -S . -B $(BUILD_DIR) -DPELORIN_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

# Warnings are the plain build's business: the sanitizers' instrumentation makes the compiler see
# paths that cannot be taken.
sanitized: setup
	cmake -S . -B $(SANITIZED_DIR) -DPELORIN_WERROR=OFF -DPELORIN_SANITIZE=ON \
	  -DPELORIN_BUILD_BENCH=OFF
	cmake --build $(SANITIZED_DIR) --parallel $(JOBS)

run: build
	$(BUILD_DIR)/bin/pelorin

# Leaks are not looked for in the sanitized run: the libraries keep theirs for the life of the
# process. The package is checked once, from the plain build.
test: build sanitized
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error --parallel $(JOBS) $(CTEST_ARGS)
	cd $(SANITIZED_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --no-tests=error \
	  --parallel $(JOBS) --label-exclude packaging $(CTEST_ARGS)

# The Debian package, in $(BUILD_DIR)/: apt-get install ./$(BUILD_DIR)/pelorin_*.deb
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(SANITIZED_DIR)
