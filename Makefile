# The README's commands. `make run` and `make test` install what is missing,
# build, and then start the game or run every test.
JOBS ?= $(shell nproc)

.PHONY: deps build build-asan run test test-unit test-asan clean

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default >/dev/null
	@cmake --build build -j $(JOBS)

build-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build build-asan -j $(JOBS)

run: build
	./build/bin/telka-game

test-unit: build
	ctest --preset default -j $(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=0 ctest --preset asan -j $(JOBS)

test: test-unit test-asan

clean:
	rm -rf build build-asan build-win32
