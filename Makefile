# Entry points: `make run` (install, build, open the window on the simulator, or demonstrate on the
# command line when there is no display), `make test` (install, build, run every test).
.PHONY: deps configure build test asan-test run format clean

PRESET ?= dev
JOBS ?= $(shell nproc)

deps:
	./scripts/install-deps

configure: deps
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	ctest --preset $(PRESET) -j $(JOBS)

asan-test:
	$(MAKE) test PRESET=asan

run: build
	./scripts/demo build/$(PRESET)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
