# Thin wrapper over CMake. Every target first makes sure the machine has what it needs
# (scripts/install-packages), then configures its build directory if that has not succeeded yet.
#   make / make run    the library and the host only; run answers the tour examples/tour.calls
#   make test          builds every test program and runs them all through CTest (what CI runs)
#   make install PREFIX=...  and  make package (the .debs), make package-aarch64 (for arm64)
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local
# Dates written into what is built (the package, the manual page) are the last
# commit's, so that two builds of one commit give the same bytes.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

# Recursive makes (cmake --build) would announce every directory they enter and leave.
MAKEFLAGS += --no-print-directory

NEEDS = scripts/install-packages
RELEASE = -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
# configure DIR FLAGS...: a directory whose configuration never finished is configured again.
configure = test -f $(1)/Makefile || cmake -S . -B $(1) $(2)
# reconfigure DIR FLAGS...: configured every time, so that what scripts/install-packages has
# installed since the last run (GoogleTest, help2man) is found.
reconfigure = cmake -S . -B $(1) $(2) > /dev/null
PROGRAMS = --target math_R extpred-host
# build_packages DIR FLAGS...: what `make install` installs, as .debs and their .ddebs in DIR. A
# package's host has line editing: without libedit the build stops rather than package a host
# whose arrows print escape codes.
PACKAGED = -DMATH_R_LIBEDIT=ON
define build_packages
	$(call reconfigure,$(1),$(2))
	cmake --build $(1) -j $(JOBS) $(PROGRAMS) manual bridge python_module
	cd $(1) && cpack -G DEB
endef

.PHONY: all run test install package package-aarch64 lint reproducible sanitize tsan fuzz bench bench-compare test-aarch64 clean

all:
	@$(NEEDS) run
	@$(call configure,$(BUILD),$(RELEASE))
	cmake --build $(BUILD) -j $(JOBS) $(PROGRAMS)

run: all
	$(BUILD)/extpred-host -f examples/tour.calls

test:
	@$(NEEDS) test
	$(call reconfigure,$(BUILD),$(RELEASE))
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j $(JOBS)

# With the manual page, for which help2man is installed, the SWI-Prolog bridge where SWI-Prolog
# is installed and the Python module math_r where Python's development files are.
install:
	@$(NEEDS) install
	$(call reconfigure,$(BUILD),$(RELEASE))
	cmake --build $(BUILD) -j $(JOBS) $(PROGRAMS) manual bridge python_module
	cmake --install $(BUILD) --prefix $(PREFIX)

# Debian packages of what `make install` installs, under /usr, in build/: math-r (the plug-in),
# math-r-dev (what a host author builds with), extpred-host and swi-prolog-math-r (the SWI-Prolog
# bridge), each <name>_<version>_<arch>.deb, and the debug symbols of those with binaries in
# <name>-dbgsym_<version>_<arch>.ddeb.
package:
	@$(NEEDS) package
	$(call build_packages,$(BUILD),$(PACKAGED) $(RELEASE))

# The same for arm64, cross-built, but for the SWI-Prolog bridge:
# build-aarch64/math-r_<version>_arm64.deb, python3-math-r_<version>_arm64.deb (for Debian's
# arm64 python3) and the others.
AARCH64_CONFIGURE = -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/aarch64-linux-gnu.cmake
package-aarch64:
	@$(NEEDS) package-aarch64
	$(call build_packages,build-aarch64,$(AARCH64_CONFIGURE) $(PACKAGED))

# Debian's package checker on every package of both architectures, debug symbols included, with
# every tag shown (pedantic and informational ones too): any error or warning fails, and so does
# an override that matches nothing, which lintian only notes. All are checked at once, as the
# packages of one source: some checks look across them. The tags overridden are explained in
# packaging/lintian-overrides/.
LINTED = $(BUILD)/*.deb $(BUILD)/*.ddeb build-aarch64/*.deb build-aarch64/*.ddeb
lint: package package-aarch64
	@$(NEEDS) lint
	lintian --fail-on error,warning -EIL +pedantic $(LINTED) > $(BUILD)/lintian.txt; \
	status=$$?; cat $(BUILD)/lintian.txt; \
	if grep -q unused-override $(BUILD)/lintian.txt; then echo "lint: an override matches no tag" >&2; exit 1; fi; \
	exit $$status

# Two fresh clones of the last commit, in different folders and at different times, must build
# byte-identical packages.
reproducible:
	scripts/check-reproducible package $(BUILD)

# Release build of the benchmarks in a directory of their own, then one run of them, of the
# SWI-Prolog bridge against SWI-Prolog's own arithmetic in one swipl process, and of math_r
# against Python's and clingo's usual ways; each fails when it misses a goal.
bench:
	@$(NEEDS) bench
	@$(call configure,$(BUILD)-bench,-DCMAKE_BUILD_TYPE=Release -DMATH_R_BENCH=ON -DBUILD_TESTING=OFF)
	cmake --build $(BUILD)-bench -j $(JOBS) --target predicates_bench math_r4pl python_module
	status=0; $(BUILD)-bench/bench/predicates_bench || status=$$?; \
	swipl -q -p foreign=$(BUILD)-bench -p library=prolog bench/bridge_bench.pl || status=$$?; \
	PYTHONPATH=$(BUILD)-bench/python /usr/bin/python3 bench/python_bench.py || status=$$?; \
	PYTHONPATH=$(BUILD)-bench/python /usr/bin/python3 bench/clingo_bench.py || status=$$?; \
	exit $$status

# The library at commit BASE against the working tree's, the same calls on both in one process,
# alternating rounds: ns per call of each, new/base and its spread. BASE_CMAKE_FLAGS and
# NEW_CMAKE_FLAGS add CMake arguments to either build; COMPARE_ARGS passes --rounds=N, --ms=N
# or --filter=TEXT on. Builds go to build-compare/.
BASE ?= HEAD
export BASE_CMAKE_FLAGS NEW_CMAKE_FLAGS
bench-compare:
	@$(NEEDS) bench
	JOBS=$(JOBS) scripts/bench-compare '$(BASE)' $(COMPARE_ARGS)

# The library and every test under AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer, stopping at the first error; the SWI-Prolog bridge's and the Python module's
# suites too, in swipl, python3 and clingo with the sanitizer's runtime preloaded
# (cmake/sanitized-interpreter).
sanitize:
	@$(NEEDS) sanitize
	@$(call configure,build-asan,-DCMAKE_BUILD_TYPE=RelWithDebInfo -DMATH_R_SANITIZE=address)
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	ctest --test-dir build-asan --output-on-failure --no-tests=error -j $(JOBS)

# The same suite, threads tests included (the bridges' too), under ThreadSanitizer (clang).
tsan:
	@$(NEEDS) tsan
	@$(call configure,build-tsan,-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMATH_R_SANITIZE=thread)
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir build-tsan --output-on-failure --no-tests=error -j $(JOBS)

# libFuzzer targets (clang), FUZZ_SECONDS each, one after another.
fuzz:
	@$(NEEDS) fuzz
	@$(call configure,build-fuzz,-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMATH_R_FUZZ=ON -DBUILD_TESTING=OFF)
	cmake --build build-fuzz -j $(JOBS)
	bash fuzz/run build-fuzz $(FUZZ_SECONDS)

# The suite cross-built for aarch64 and run under qemu-user; then the tour must answer byte for
# byte as the build machine's host does.
# Against the arm64 runtime of multiarch, as in cmake/aarch64-linux-gnu.cmake.
AARCH64_RUN = qemu-aarch64
test-aarch64: all
	@$(NEEDS) aarch64
	@$(call configure,build-aarch64,$(AARCH64_CONFIGURE))
	cmake --build build-aarch64 -j $(JOBS)
	ctest --test-dir build-aarch64 --output-on-failure --no-tests=error -j $(JOBS)
	$(BUILD)/extpred-host -f examples/tour.calls > build-aarch64/tour.native
	$(AARCH64_RUN) build-aarch64/extpred-host -f examples/tour.calls > build-aarch64/tour.aarch64
	diff build-aarch64/tour.native build-aarch64/tour.aarch64

clean:
	rm -rf $(BUILD) $(BUILD)-bench build-compare build-asan build-tsan build-fuzz build-aarch64
