# Thin wrapper over CMake. `make` builds, `make test` builds and runs every test, `make run`
# builds and evaluates the guided tour, `make install PREFIX=...` installs.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

PREFIX ?= /usr/local

.PHONY: all test run install clean

all: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

test: all
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

run: all
	$(BUILD)/extpred-host -f examples/tour.calls

install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD)
