# The two commands of the README: `make run` and `make test`. Everything else is for developers.
BUILD      ?= build
ASAN_BUILD ?= build-sanitize
TSAN_BUILD ?= build-tsan
BENCH_BUILD ?= build-bench
WIN_BUILD  ?= build-windows
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all bootstrap configure build test test-sanitize test-tsan run fuzz bench reliability package install \
        windows test-windows clean

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: bootstrap $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: bootstrap
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORENN_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j $(JOBS) -LE no-sanitize

test-tsan: bootstrap
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORENN_TSAN=ON $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target web_tests web_stand_in_tests
	cd $(TSAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L tsan

run: build
	scripts/run

# The two Debian packages, vorenn and vorenn-server, in $(BUILD)/packages/.
package: build
	cmake --build $(BUILD) --target package

# Installs under CMAKE_INSTALL_PREFIX (default /usr/local); PREFIX=... installs elsewhere.
install: build
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

fuzz: bootstrap
	scripts/fuzz

# The long forms of the reliability checks (docs/reliability.md); about 40 minutes.
reliability: build
	scripts/reliability $(BUILD)

bench: bootstrap
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORENN_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target vorenn_bench_programs
	scripts/bench $(BENCH_BUILD)

# The Windows program, cross-compiled with mingw-w64: $(WIN_BUILD)/bin/vorenn.exe and
# $(WIN_BUILD)/vorenn-windows.zip.
$(WIN_BUILD)/build.ninja:
	cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake $(CMAKE_FLAGS)

windows: bootstrap $(WIN_BUILD)/build.ninja
	cmake --build $(WIN_BUILD) -j $(JOBS) --target vorenn_windows

# The Windows test programs under Wine, in a prefix of their own inside $(WIN_BUILD); then, once
# vorenn.exe is built, the walkthrough on its Win32 backend against the Linux reference server
# (pictures in out/windows-walkthrough/), and the player's flows played by vorenn.exe and by the
# headless client against one server, with the same results.
test-windows: bootstrap $(WIN_BUILD)/build.ninja
	cmake --build $(WIN_BUILD) -j $(JOBS)
	VORENN_WINE_PREFIX=$(CURDIR)/$(WIN_BUILD)/wine-prefix scripts/wine-run --prepare
	cd $(WIN_BUILD) && VORENN_WINE_PREFIX=$(CURDIR)/$(WIN_BUILD)/wine-prefix \
	  ctest --output-on-failure -j $(JOBS); status=$$?; \
	  VORENN_WINE_PREFIX=$(CURDIR)/$(WIN_BUILD)/wine-prefix $(CURDIR)/scripts/wine-run --stop; exit $$status
	if [ -f $(WIN_BUILD)/bin/vorenn.exe ]; then \
	  $(MAKE) configure && cmake --build $(BUILD) -j $(JOBS) --target vorenn-server vorenn && \
	  VORENN_WINE_PREFIX=$(CURDIR)/$(WIN_BUILD)/wine-prefix scripts/windows-walkthrough $(WIN_BUILD) $(BUILD) && \
	  VORENN_WINE_PREFIX=$(CURDIR)/$(WIN_BUILD)/wine-prefix tests/e2e/flows_on_windows.sh $(WIN_BUILD) $(BUILD); \
	  status=$$?; VORENN_WINE_PREFIX=$(CURDIR)/$(WIN_BUILD)/wine-prefix scripts/wine-run --stop; exit $$status; \
	fi

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(WIN_BUILD)
