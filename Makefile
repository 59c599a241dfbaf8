# SPDX-License-Identifier: GPL-3.0-or-later
# Two entry points for a newcomer: `make run` and `make test`.
MAKEFLAGS += --no-print-directory
# Each installs what it is missing first (scripts/install-deps GROUP...):
# `make run` only what building and running take, the others add their own.
JOBS ?= $(shell nproc)
BUILD := build
SANITIZE_BUILD := build/sanitize
FUZZ_BUILD := build/fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test test-build unit fuzz bench mutants deb clean

all: build

deps:
	@scripts/install-deps run

# The program itself: the tests are built and run in the sanitizer build.
build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRELM_TESTS=OFF >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

# The window opens on a folder of sample tapes, made afresh every time.
SAMPLES := $(BUILD)/samples
run: build
	@scripts/make-samples $(SAMPLES)
	cd $(SAMPLES) && ../ostrelm

# The tests run in a separate build under AddressSanitizer and
# UndefinedBehaviorSanitizer; GUI tests start their own Xvfb server.
test-build: build
	@scripts/install-deps test
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DOSTRELM_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j$(JOBS)

unit: test-build
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j$(JOBS)

# Ends with a reminder of how much test code there is against product code.
test: unit fuzz
	@scripts/test-ratio || true

fuzz: deps
	@scripts/install-deps fuzz
	@if [ -f fuzz/CMakeLists.txt ]; then \
	  CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DOSTRELM_FUZZ=ON -DOSTRELM_TESTS=OFF >/dev/null && \
	  cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers && \
	  scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS); \
	fi

bench: build
	@scripts/install-deps bench
	@if [ -x bench/run ]; then bench/run; else echo "no benchmarks yet"; fi

# Mutation testing of convert/ and runtime/ (not part of make test): a sample
# of mutants in build/mutants, each judged by the tests of its file.
MUTANTS ?= 320
mutants: deps
	@scripts/install-deps test mutants
	@scripts/mutate run --sample $(MUTANTS)

# The binary package, built from a copy of the tree in $(DEB_BUILD) so that
# its results stay there: $(DEB_BUILD)/ostrelm_*.deb, checked by lintian.
DEB_BUILD ?= build/deb
deb:
	@scripts/install-deps deb
	rm -rf $(DEB_BUILD) && mkdir -p $(DEB_BUILD)/ostrelm
	tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C $(DEB_BUILD)/ostrelm
	cd $(DEB_BUILD)/ostrelm && dpkg-buildpackage -b -us -uc -j$(JOBS) >../build.log
	lintian --fail-on error,warning -I $(DEB_BUILD)/ostrelm_*.deb

clean:
	rm -rf $(BUILD)
