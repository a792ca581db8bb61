# The two commands of the README, and the builds behind them.
#   make        build both sides (installing what is missing first)
#   make test   every test of both builds
#   make demo   compose a wallpaper with the real program under Wine
#   make dist   the download, out/dist/Tolvex-<version>.zip
SHELL := /bin/bash
JOBS ?= $(shell nproc)
WIN := build/windows
NAT := build/native

.PHONY: all bootstrap windows native test test-native test-windows demo gui dist bench fuzz clean

all: windows native

bootstrap:
	@./scripts/bootstrap.sh

$(WIN)/build.ninja: | bootstrap
	cmake -S . -B $(WIN) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

$(NAT)/build.ninja: | bootstrap
	CC=clang CXX=clang++ cmake -S . -B $(NAT) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

windows: bootstrap $(WIN)/build.ninja
	cmake --build $(WIN) -j $(JOBS)

native: bootstrap $(NAT)/build.ninja
	cmake --build $(NAT) -j $(JOBS)

test: test-native test-windows

test-native: native
	cd $(NAT) && ctest --output-on-failure -j $(JOBS)

test-windows: windows
	./scripts/wine-session.sh bash -c 'cd $(WIN) && ctest --output-on-failure -j $(JOBS)'

demo: windows native
	./scripts/demo.sh

gui: windows native
	./scripts/gui.sh

dist: windows
	./scripts/dist.sh

bench: bootstrap
	./scripts/bench.sh

fuzz: native
	./scripts/fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf build
