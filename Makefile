# Two commands do all set-up on a fresh Debian machine: `make demo` and `make test`.
MAKEFLAGS += --no-print-directory
JOBS    ?= $(shell nproc)
WERROR  ?= $(if $(CI),ON,OFF)
CMAKE_FLAGS := -DQUENDEL_WERROR=$(WERROR)
FUZZ_SECONDS       ?= 60
FUZZ_SMOKE_SECONDS ?= 5
FUZZ_TARGETS       ?=
FUZZ_CPU_SECONDS   ?=

.PHONY: all setup build demo test test-plain test-asan test-tsan test-fuzz fuzz fuzz-build bench \
        clean

all: build

setup:
	@scripts/setup

build: setup
	@cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build build -j $(JOBS)

demo: build
	@scripts/demo

test-plain: build
	@cd build && ctest --output-on-failure -j $(JOBS)

# Same tests again under AddressSanitizer and UndefinedBehaviorSanitizer; any report fails.
test-asan: setup
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUENDEL_SANITIZE=address,undefined \
	    $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# The tests with threads again under ThreadSanitizer: the concurrency test, and the language
# server's protocol test (its reader thread); only what they need is built.
test-tsan: setup
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENDEL_SANITIZE=thread \
	    $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target concurrency_test lsp_protocol_test
	@cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure \
	    -R '^(concurrency_test|lsp_protocol_test)$$'

# libFuzzer targets, built with clang under AddressSanitizer and UndefinedBehaviorSanitizer.
fuzz-build: setup
	@cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	    -DCMAKE_CXX_COMPILER=clang++ -DQUENDEL_BUILD_FUZZ=ON -DQUENDEL_BUILD_TESTS=OFF \
	    -DQUENDEL_FUZZ_SMOKE_SECONDS=$(FUZZ_SMOKE_SECONDS) $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-fuzz --target fuzzers -j $(JOBS)

# Each target for a few seconds, so that they keep building and passing.
test-fuzz: fuzz-build
	@cd build-fuzz && ctest --output-on-failure -j $(JOBS)

# Each target for FUZZ_SECONDS on a working copy of its seeds (with FUZZ_CPU_SECONDS, until it
# has had that much CPU time, FUZZ_SECONDS at most); a summary at the end.
fuzz: fuzz-build
	@FUZZ_CPU_SECONDS=$(FUZZ_CPU_SECONDS) fuzz/run.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

test: test-plain test-tsan test-asan test-fuzz

# Release build with the peers; writes the reference tree once (again only when its generator
# changed), runs every case and prints the table, also kept in build-bench/bench-table.md.
bench:
	@scripts/setup bench
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUENDEL_BUILD_BENCH=ON \
	    -DQUENDEL_BUILD_TESTS=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-bench -j $(JOBS) --target quendel_bench reftree
	@./build-bench/bin/quendel_bench --reftree=build-bench/reftree \
	    --table=build-bench/bench-table.md $(BENCH_FLAGS)

clean:
	rm -rf build build-asan build-tsan build-fuzz build-bench
