# Thin wrapper over CMake. `make` builds, `make test` builds and runs every test, `make run`
# builds and evaluates the guided tour, `make install PREFIX=...` installs.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60

PREFIX ?= /usr/local

.PHONY: all test run install sanitize tsan fuzz bench test-aarch64 clean

all: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

test: all
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Release build of the benchmarks in a directory of their own, then one run of them.
bench:
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DMATH_R_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build $(BUILD)-bench -j $(JOBS) --target predicates_bench
	$(BUILD)-bench/bench/predicates_bench

run: all
	$(BUILD)/extpred-host -f examples/tour.calls

install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

# The library and every test under AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer, stopping at the first error.
sanitize:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMATH_R_SANITIZE=address
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	ctest --test-dir build-asan --output-on-failure -j $(JOBS)

# The same suite, threads test included, under ThreadSanitizer (clang).
tsan:
	cmake -S . -B build-tsan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMATH_R_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir build-tsan --output-on-failure -j $(JOBS)

# libFuzzer targets (clang), FUZZ_SECONDS each, one after another.
fuzz:
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMATH_R_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build build-fuzz -j $(JOBS)
	bash fuzz/run build-fuzz $(FUZZ_SECONDS)

# The suite cross-built for aarch64 and run under qemu-user; then the tour must answer byte for
# byte as the build machine's host does.
AARCH64_RUN = qemu-aarch64 -L /usr/aarch64-linux-gnu
test-aarch64: all
	cmake -S . -B build-aarch64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/aarch64-linux-gnu.cmake
	cmake --build build-aarch64 -j $(JOBS)
	ctest --test-dir build-aarch64 --output-on-failure -j $(JOBS)
	$(BUILD)/extpred-host -f examples/tour.calls > build-aarch64/tour.native
	$(AARCH64_RUN) build-aarch64/extpred-host -f examples/tour.calls > build-aarch64/tour.aarch64
	diff build-aarch64/tour.native build-aarch64/tour.aarch64

clean:
	rm -rf $(BUILD) $(BUILD)-bench build-asan build-tsan build-fuzz build-aarch64
