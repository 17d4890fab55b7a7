# Set-up and everyday commands. Each target installs the Debian packages it lacks first.
PRESET ?= default
BUILD_DIR = build/$(PRESET)
BIN = $(BUILD_DIR)/bin

PACKAGES = cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libcli11-dev libgtest-dev \
           libgmock-dev libbenchmark-dev python3 xvfb xauth fonts-dejavu-core fp-utils \
           qt6-translations-l10n locales
# Only for `make run`: the viewer of the help file and the opener that finds it.
RUN_PACKAGES = xchm xdg-utils
FUZZ_PACKAGES = clang libclang-rt-14-dev
PACKAGE_PACKAGES = dpkg-dev file
PACKAGE_CHECK_PACKAGES = lintian desktop-file-utils appstream shared-mime-info man-db
WINDOWS_PACKAGES = cmake ninja-build g++-mingw-w64-x86-64-posix googletest libcli11-dev python3 wine64 wine
BENCH_PACKAGES = hyperfine time xvfb xauth

SUDO = $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps run-deps fuzz-deps configure build test run screenshots bench package package-check \
        windows install test-asan fuzz fuzz-ci clean format

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

run-deps: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(RUN_PACKAGES)"

fuzz-deps: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

run: build run-deps
	$(BIN)/kr39eds

# Pictures of the splash, the About box and a composed station, under a virtual X server when there is one.
screenshots: configure
	cmake --build --preset $(PRESET) --target kr39eds-screenshots
	@if command -v xvfb-run >/dev/null; then XVFB="xvfb-run -a -s '-screen 0 1280x1024x24'"; fi; \
	  eval $$XVFB $(BIN)/kr39eds-screenshots $(BUILD_DIR)/screenshots

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

# The .deb in build/default; package-check lints it, validates its desktop files, installs it
# with dpkg, runs the installed programs and removes it again.
package: build
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGE_PACKAGES)"
	cd $(BUILD_DIR) && cpack -G DEB

package-check: package
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGE_CHECK_PACKAGES)"
	bash scripts/check-package.sh $(BUILD_DIR)/kr39eds_*.deb

# kr39eds-cli.exe with its module library in build/windows/kr39eds-<version>-win64/ and a .zip of
# that folder; the core tests and an end-to-end run under Wine.
windows:
	@$(MAKE) --no-print-directory deps PACKAGES="$(WINDOWS_PACKAGES)"
	cmake --preset windows
	cmake --build --preset windows
	ctest --preset windows
	cd build/windows && cpack && rm -rf _CPack_Packages && \
	  rm -rf kr39eds-*-win64 && cmake -E tar xf kr39eds-*-win64.zip

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
