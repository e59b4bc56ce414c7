# Two commands do all set-up on a fresh Debian machine: `make demo` and `make test`.
JOBS    ?= $(shell nproc)
WERROR  ?= $(if $(CI),ON,OFF)
CMAKE_FLAGS := -DQUENDEL_WERROR=$(WERROR)

.PHONY: all setup build demo test test-plain test-asan test-tsan clean

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

# The concurrency test again under ThreadSanitizer; only what it needs is built.
test-tsan: setup
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENDEL_SANITIZE=thread \
	    $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target concurrency_test
	@cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -R '^concurrency_test$$'

test: test-plain test-tsan test-asan

clean:
	rm -rf build build-asan build-tsan build-fuzz build-bench
