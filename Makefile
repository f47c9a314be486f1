# One command a job:  make test  |  make run
# Separate trees for parallel work: make test HOST=build/host-x WIN=build/win-x
SHELL := /bin/bash
JOBS ?= $(shell nproc)
HOST := build/host
WIN := build/win

.PHONY: test run build setup host-test win-build win-test clean

setup:
	@bash scripts/setup-machine.sh

build: setup win-build

host-test: setup
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug -DVPW_SANITIZE=ON >/dev/null
	cmake --build $(HOST) -j $(JOBS)
	ctest --test-dir $(HOST) -j $(JOBS) --output-on-failure $(CTEST_ARGS)

win-build: setup
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN) -j $(JOBS)

# Windows tests one at a time: the global hook reaches every program of the prefix.
win-test: win-build
	WINEPREFIX=$(abspath $(WIN))/wineprefix scripts/wine-session.sh ctest --test-dir $(WIN) --output-on-failure $(CTEST_ARGS)

test: host-test win-test

# Starts the control center under Wine with the example configuration.
run: build
	WIN=$(WIN) scripts/run-control-center.sh

clean:
	rm -rf build
