# Set-up and everyday commands. Each target installs the Debian packages it lacks first.
PRESET ?= default
BUILD_DIR = build/$(PRESET)
BIN = $(BUILD_DIR)/bin

PACKAGES = cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libcli11-dev libgtest-dev \
           libgmock-dev libbenchmark-dev python3 xvfb xauth fonts-dejavu-core
FUZZ_PACKAGES = clang libclang-rt-14-dev
BENCH_PACKAGES = hyperfine time xvfb xauth

SUDO = $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps fuzz-deps configure build test run bench package install test-asan fuzz fuzz-ci clean format

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

fuzz-deps: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

run: build
	$(BIN)/kr39eds

# Generation and redraw against their floors, then start-up and peak memory against a bare Qt
# window (the bare window is built with the tests, so from the default preset).
bench:
	@$(MAKE) --no-print-directory deps PACKAGES="$(BENCH_PACKAGES)"
	@$(MAKE) --no-print-directory build PRESET=bench
	build/bench/bin/kr39eds-bench
	build/bench/bin/kr39eds-view-bench
	@$(MAKE) --no-print-directory configure PRESET=default
	cmake --build --preset default --target kr39eds kr39eds-bare-window
	sh scripts/measure-startup.sh build/default

package: build
	cd $(BUILD_DIR) && cpack -G TGZ

install: build
	cmake --install $(BUILD_DIR)

test-asan:
	@$(MAKE) --no-print-directory test PRESET=asan

FUZZ_SECONDS ?= 60
fuzz: fuzz-deps
	cmake --preset fuzz && cmake --build --preset fuzz --target kr39_fuzzers
	bash fuzz/run.sh build/fuzz/bin $(FUZZ_SECONDS)

# Replays the committed corpora, then fuzzes each target briefly.
fuzz-ci:
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=20

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
