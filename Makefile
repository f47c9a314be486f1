# One command a job:  make test  |  make run
# Separate trees for parallel work: make test HOST=build/host-x WIN=build/win-x WIN64=build/win64-x
#   VPW_NO32=1   test only the 64-bit set, as on a machine that runs no 32-bit code
#   ARCH=x86|x64 the set that make run and the benchmarks use (default: 32-bit where it runs)
SHELL := /bin/bash
JOBS ?= $(shell nproc)
HOST := build/host
WIN := build/win
WIN64 := build/win64
export WIN WIN64

.PHONY: test run build setup host-test win-build win32-build win64-build win-test win32-test win64-test clean

setup:
	@bash scripts/setup-machine.sh

build: setup win-build

host-test: setup
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug -DVPW_SANITIZE=ON >/dev/null
	cmake --build $(HOST) -j $(JOBS)
	ctest --test-dir $(HOST) -j $(JOBS) --output-on-failure $(CTEST_ARGS)

win-build: win32-build win64-build

win32-build: setup
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN) -j $(JOBS)

win64-build: setup
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN64) -j $(JOBS)

# Windows tests one at a time in each prefix: the global hook reaches every
# program of the prefix. The 32-bit set only where the kernel runs it.
win-test: win32-test win64-test

win32-test: win32-build
	@source scripts/arch.sh; \
	if vpw_runs32; then \
	  VPW_ARCH=x86 WINEPREFIX=$(abspath $(WIN))/wineprefix scripts/wine-session.sh ctest --test-dir $(WIN) --output-on-failure $(CTEST_ARGS); \
	else \
	  echo "32-bit Windows suites skipped: $$(vpw_why_no32); the 64-bit suites run instead"; \
	fi

win64-test: win64-build
	VPW_ARCH=x64 WINEPREFIX=$(abspath $(WIN64))/wineprefix scripts/wine-session.sh ctest --test-dir $(WIN64) --output-on-failure $(CTEST_ARGS)

test: host-test win-test

# Starts the control center under Wine with the example configuration.
run: build
	scripts/run-control-center.sh

clean:
	rm -rf build
