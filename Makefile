# Names over the CMake presets and workflows (CMakePresets.json: default,
# asan, fuzz, windows, web): `cmake --workflow --preset NAME` configures,
# builds and tests each, and every target here is one of those or a build
# of a preset's target. The README's two commands install what is missing
# first: `make run` what the game needs, then builds and starts it; `make
# test` the test tools too, then runs the default and asan workflows. So do
# the Windows and browser checks and `make web`, whose compiler is an npm
# package. `make build` and the other builds leave installing to `make deps`
# (scripts/install-deps), so they never call apt.
JOBS ?= $(shell nproc)
export CMAKE_BUILD_PARALLEL_LEVEL ?= $(JOBS)
export CTEST_PARALLEL_LEVEL ?= $(JOBS)

.PHONY: deps build build-asan run test test-unit test-asan clean fuzz windows windows-zip test-windows install package test-package web web-run test-web format-web

# DEPS picks a set: game, linux (the default: game and the test tools),
# cross, windows (cross and Wine) or web (scripts/packages.list has them).
DEPS ?= linux

deps:
	@scripts/install-deps $(DEPS)

build:
	cmake --preset default
	cmake --build --preset default

build-asan:
	cmake --preset asan
	cmake --build --preset asan

run:
	@scripts/install-deps game
	cmake --preset default
	cmake --build --preset default --target telka-game
	./build/bin/telka-game

test-unit:
	cmake --workflow --preset default

test-asan:
	cmake --workflow --preset asan

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
	cmake --build --preset default --target telka_package telka-run telka-grade
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)" --strip

package:
	cmake --preset default
	cmake --build --preset default --target telka_package telka-run telka-grade
	cd build && cpack -G DEB

# Programs outside the tree built against the installed library, the
# Windows zip and the Debian package (tests/package/test-package, which installs
# the cross compiler for the Windows part, or skips that part when apt cannot
# have it, and says so).
test-package: package
	@tests/package/test-package

# The fuzz workflow: each target (the script reader, dialog templates, the
# drawing operations) fuzzed for FUZZ_SECONDS from a fresh copy of its seed
# corpus (tests/fuzz/fuzz_run.cmake: new inputs stay in
# build-fuzz/corpus/<target>, crash inputs in build-fuzz/<target>-crash-*).
# FUZZ_TARGETS picks some of them; FUZZ_LEAKS=0 stops looking for leaks.
export FUZZ_SECONDS ?= 45
export FUZZ_TARGETS
export FUZZ_LEAKS

fuzz:
	cmake --workflow --preset fuzz

# The 32-bit Windows executables, cross-built with mingw-w64 (the `windows`
# preset, in build-win32/). Its workflow then runs the checks
# (tests/windows/CMakeLists.txt): those that need no Wine, then Wine
# installed and the rest under it, comparing with the Linux build in build/;
# when apt cannot have Wine, the Wine run is skipped and says so.
windows:
	cmake --preset windows
	cmake --build --preset windows

test-windows:
	@scripts/install-deps game
	@scripts/install-deps cross
	cmake --workflow --preset windows

# The 32-bit Windows library for students on Windows, as one zip:
# build-win32/telka-VERSION-win32.zip holds the header, libtelka.a, the
# CMake and pkg-config files, the docs and the template with a README for
# MinGW-w64 on Windows. Builds only the library.
windows-zip:
	cmake --preset windows
	cmake --build --preset windows --target telka_package
	@cd build-win32 && cpack -G ZIP >/dev/null
	@ls build-win32/telka-*-win32.zip

# The browser build (the `web` preset, in build-web/): every program as a
# WebAssembly module in site/programs/, the SDK that the page links
# students' programs with in sdk/, compiled for wasm32-wasip1 by the
# WebAssembly build of clang in web/node_modules (cmake/wasm32-wasip1.cmake;
# scripts/install-deps web installs it and builds FreeType with it once),
# at -O2, since -O3 made the game's frame no faster and the programs larger;
# then the site around them (cmake/web.cmake's web_site: web/build.mjs).
# `make web-run` serves it on 127.0.0.1 with the headers that make it
# cross-origin isolated; `make test-web` runs the workflow, whose tests
# drive it in headless Chromium (tests/web/CMakeLists.txt; screenshots of
# every step in build-web/screenshots/).
WEB_PORT ?= 8080

web:
	@scripts/install-deps web
	cmake --preset web
	cmake --build --preset web

web-run: web
	@node web/serve.mjs build-web/site --port $(WEB_PORT) --quiet

test-web:
	@scripts/install-deps web
	@scripts/install-deps game
	cmake --workflow --preset web

# The layout of the site's and the browser tests' JavaScript: prettier,
# pinned in tests/web/package.json, set by .prettierrc.json and
# .prettierignore at the top. The web workflow's web_format test checks it;
# `make format-web` rewrites what it finds laid out otherwise.
format-web:
	@cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null
	tests/web/node_modules/.bin/prettier --write --log-level warn web tests/web

clean:
	rm -rf build build-asan build-win32 build-fuzz build-web
