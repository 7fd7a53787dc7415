# Twinfold: the two commands a fresh machine needs are `make run` and `make test`.
# Everything else here is what CI and the developers use on top of them.

BUILD      ?= build
JOBS       ?= $(shell nproc)
GENERATOR  := -G Ninja
CMAKE_ARGS ?=
# Warnings are errors in every build these targets make.
WERROR    := -DTWINFOLD_WERROR=ON

.PHONY: all deps configure build test run package asan tsan release-builds fuzz fuzz-replay \
        format format-check bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(GENERATOR) $(WERROR) $(CMAKE_ARGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	@if [ -x $(BUILD)/bin/twinfold ]; then $(BUILD)/bin/twinfold; \
	else $(BUILD)/bin/twinfold-cli --help; fi

# The Debian package, in $(BUILD)/ (twinfold_VERSION-1_ARCH.deb).
package: build
	cmake --build $(BUILD) --target package

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B build-asan $(GENERATOR) $(WERROR) -DCMAKE_BUILD_TYPE=Debug -DTWINFOLD_BENCH=OFF \
	  -DTWINFOLD_SANITIZE=address,undefined
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan_suppressions.txt \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The tests that run threads, under ThreadSanitizer.
tsan: deps
	cmake -S . -B build-tsan $(GENERATOR) $(WERROR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTWINFOLD_GUI=OFF \
	  -DTWINFOLD_BENCH=OFF -DTWINFOLD_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS) --target thread_tests
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L thread

# Release builds as a packager makes them, once with GCC and once with clang, warnings as
# errors: optimisation brings warnings of its own. Nothing is run.
release-builds: deps
	CC=gcc CXX=g++ cmake -S . -B build-release-gcc $(GENERATOR) $(WERROR) -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release-gcc -j $(JOBS)
	CC=clang CXX=clang++ cmake -S . -B build-release-clang $(GENERATOR) $(WERROR) \
	  -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release-clang -j $(JOBS)

# libFuzzer targets, built with clang. `make fuzz-replay` runs every corpus once (CI);
# `make fuzz FUZZ_SECONDS=600` fuzzes each target for that long.
FUZZ_SECONDS ?= 60
build-fuzz/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B build-fuzz $(GENERATOR) $(WERROR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTWINFOLD_GUI=OFF -DTWINFOLD_TESTS=OFF -DTWINFOLD_BENCH=OFF -DTWINFOLD_FUZZ=ON

fuzz-build: deps build-fuzz/build.ninja
	cmake --build build-fuzz -j $(JOBS) --target fuzz_targets

fuzz-replay: fuzz-build
	fuzz/run.sh build-fuzz/bin replay

fuzz: fuzz-build
	fuzz/run.sh build-fuzz/bin fuzz $(FUZZ_SECONDS)

FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format:
	@if [ -n "$(FORMAT_FILES)" ]; then clang-format -i $(FORMAT_FILES); fi

format-check:
	@if [ -n "$(FORMAT_FILES)" ]; then clang-format --dry-run --Werror $(FORMAT_FILES); fi

bench: build
	bench/run.sh $(BUILD)/bin

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz build-release-gcc build-release-clang
