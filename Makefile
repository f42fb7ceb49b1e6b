# Thin wrapper over CMake. `make run` and `make test` are the two set-up commands.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps test-deps check-display configure build program run test asan-build test-asan bench fuzz clean

all: build

deps:
	scripts/install-deps build

test-deps:
	scripts/install-deps test

# Says at once when no X display answers, rather than after the build.
check-display:
	scripts/check-display

# Everything: the program, its tests and benchmarks.
configure:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DOVERINK_TESTS=ON -DOVERINK_BENCH=ON $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program alone: neither the test packages nor the tests' targets.
program:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DOVERINK_TESTS=OFF -DOVERINK_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS) --target overink

# In this order: nothing is installed or built for a session without a display.
run:
	scripts/check-display
	scripts/install-deps build
	$(MAKE) --no-print-directory program
	$(BUILD)/src/overink

test: test-deps build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure -L 'unit|x11|e2e|style'

# Unit tests and fuzz targets under AddressSanitizer and UBSan (clang).
asan-build: test-deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DOVERINK_FUZZ=ON -DOVERINK_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-asan: asan-build
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest -j $(JOBS) --output-on-failure -L unit

bench:
	scripts/install-deps bench
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DOVERINK_TESTS=ON -DOVERINK_BENCH=ON $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)
	scripts/run-benchmarks $(BUILD)

# Each fuzz target runs for FUZZ_SECONDS (default 600) on its seed corpus.
FUZZ_SECONDS ?= 600
fuzz: asan-build
	scripts/run-fuzzers $(ASAN_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
