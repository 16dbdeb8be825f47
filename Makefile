# Named aliases over the CMake presets (CMakePresets.json: default, asan,
# fuzz, windows, web), which an IDE or `cmake --workflow --preset NAME`
# reaches as well. The README's two commands install what is missing first:
# `make run` what the game needs, then builds and starts it; `make test` the
# test tools too, then builds everything and runs every test. So do the
# Windows and browser checks and `make web`, whose compiler is an npm
# package. `make build` and the other builds leave installing to `make deps`
# (scripts/install-deps), so they never call apt.
JOBS ?= $(shell nproc)

.PHONY: deps build build-asan run test test-unit test-asan clean fuzz windows windows-zip test-windows install package test-package web web-run test-web

# DEPS picks a set: game, linux (the default: game and the test tools),
# cross, windows (cross and Wine) or web (scripts/install-deps says more).
DEPS ?= linux

deps:
	@scripts/install-deps $(DEPS)

build:
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

build-asan:
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

run:
	@scripts/install-deps game
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target telka-game
	./build/bin/telka-game

test-unit: build
	ctest --preset default -j $(JOBS)

test-asan: build-asan
	ctest --preset asan -j $(JOBS)

test: deps
	@$(MAKE) --no-print-directory test-unit test-asan

# The library for programs of one's own: `make install` puts the header,
# libtelka.a, the CMake and pkg-config files, telka-run, telka-grade and the documentation
# under PREFIX (DESTDIR stages them elsewhere); `make package` makes the
# Debian package build/telka-dev_VERSION_amd64.deb. Both build only what is
# installed.
PREFIX ?= /usr/local
DESTDIR ?=

install:
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target telka_package telka-run telka-grade
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)" --strip

package:
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target telka_package telka-run telka-grade
	cd build && cpack -G DEB

# Programs outside the tree built against the installed library, the
# Windows zip and the Debian package (tests/package/test-package, which installs
# the cross compiler for the Windows part, or skips that part when apt cannot
# have it, and says so).
test-package: package
	@tests/package/test-package

# Fuzzes each target (the script reader, dialog templates, the drawing
# operations) for FUZZ_SECONDS with clang's libFuzzer, starting from a copy
# of its seed corpus: new inputs stay in build-fuzz/corpus/<target>, crash
# inputs in build-fuzz/<target>-crash-*. FUZZ_TARGETS picks some of them;
# FUZZ_LEAKS=0 stops looking for leaks (system libraries' lifetime caches
# are suppressed by tests/lsan.supp). The targets' stderr (the stand-in's
# complaints about bad templates) is closed; sanitizer reports still show.
FUZZ_SECONDS ?= 45
FUZZ_TARGETS ?= script dialog draw
FUZZ_LEAKS ?= 1

fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS) --target $(FUZZ_TARGETS:%=%_fuzz)
	@for t in $(FUZZ_TARGETS); do \
		rm -rf build-fuzz/corpus/$$t && mkdir -p build-fuzz/corpus && cp -r tests/fuzz/corpus/$$t build-fuzz/corpus/$$t || exit 1; \
		echo "fuzzing $$t for $(FUZZ_SECONDS) s"; \
		ASAN_OPTIONS=detect_leaks=$(FUZZ_LEAKS) LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ./build-fuzz/bin/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) \
			-timeout=10 -detect_leaks=$(FUZZ_LEAKS) -close_fd_mask=2 -print_final_stats=1 \
			-artifact_prefix=$(CURDIR)/build-fuzz/$$t- $(CURDIR)/build-fuzz/corpus/$$t || exit 1; \
	done

# The 32-bit Windows executables, cross-built with mingw-w64 (the `windows`
# preset, in WIN_BUILD), and their checks (tests/windows/test-windows): those
# that need no Wine, then Wine installed and the rest under it; when apt
# cannot have Wine, the Wine run is skipped and the last line says so. Then
# tests/windows/without-wine checks that skip, and a broken Wine failing,
# with apt and Wine faked. LINUX_BUILD holds the Linux side of the
# comparisons.
WIN_BUILD ?= build-win32
LINUX_BUILD ?= build

windows:
	cmake --preset windows -B $(WIN_BUILD)
	cmake --build $(WIN_BUILD) -j $(JOBS)

# The 32-bit Windows library for students on Windows, as one zip:
# $(WIN_BUILD)/telka-VERSION-win32.zip holds the header, libtelka.a, the
# CMake and pkg-config files, the docs and the template with a README for
# MinGW-w64 on Windows. Builds only the library.
windows-zip:
	cmake --preset windows -B $(WIN_BUILD)
	cmake --build $(WIN_BUILD) -j $(JOBS) --target telka_package
	@cd $(WIN_BUILD) && cpack -G ZIP >/dev/null
	@ls $(WIN_BUILD)/telka-*-win32.zip

test-windows:
	@scripts/install-deps game
	@scripts/install-deps cross
	@$(MAKE) --no-print-directory windows
	cmake --preset default -B $(LINUX_BUILD)
	cmake --build $(LINUX_BUILD) -j $(JOBS) --target telka-game gdi_scene script_echo gdi_compare
	@LINUX_BUILD=$(LINUX_BUILD) WIN_BUILD=$(WIN_BUILD) tests/windows/without-wine
	@LINUX_BUILD=$(LINUX_BUILD) WIN_BUILD=$(WIN_BUILD) tests/windows/test-windows

# The browser build: every program as a WebAssembly module in
# $(WEB_BUILD)/site/programs/ and the SDK that the page links students'
# programs with in $(WEB_BUILD)/sdk/, compiled for wasm32-wasip1 by the
# WebAssembly build of clang in web/node_modules (cmake/wasm32-wasip1.cmake;
# scripts/install-deps web installs it and builds FreeType with it once).
# The configuration is the `web` preset's, in $(WEB_BUILD): -O2, since -O3
# made the game's frame no faster and the programs larger. web/build.mjs
# then assembles the site in $(WEB_BUILD)/site/: the pages, the runtime, the
# playground and its compiler, the licences, the service worker's manifest
# and compressed copies. `make web-run` serves it on 127.0.0.1 with the
# headers that make it cross-origin isolated; `make test-web` drives it in
# headless Chromium (screenshots of every step in $(WEB_BUILD)/screenshots/).
WEB_BUILD ?= build-web
WEB_PORT ?= 8080

web:
	@scripts/install-deps web
	cmake --preset web -B $(WEB_BUILD)
	cmake --build $(WEB_BUILD) -j $(JOBS)
	@node web/build.mjs --site $(WEB_BUILD)/site --sdk $(WEB_BUILD)/sdk

web-run: web
	@node scripts/web-serve.mjs $(WEB_BUILD)/site --port $(WEB_PORT) --quiet

# The frame comparisons run the examples natively under telka-run too.
WEB_TEST_NATIVE = telka-run hello shapes bounce mouse-draw keyboard logging script-replay
# The browser tests, named one by one (tests/web/package.json's `npm test`
# runs the same files): node --test given a folder reads it differently from
# one version to the next.
WEB_TESTS = ask_name frames game playground playground_units serve

test-web: web
	@scripts/install-deps game
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target $(WEB_TEST_NATIVE)
	@cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null
	@WEB_SITE=$(CURDIR)/$(WEB_BUILD)/site WEB_SHOTS=$(CURDIR)/$(WEB_BUILD)/screenshots \
		node --test $(WEB_TESTS:%=tests/web/%.test.mjs)

clean:
	rm -rf build build-asan build-win32 build-fuzz build-web
