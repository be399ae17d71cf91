# Entry points: `make run` (install, build, open the window on the simulator, or demonstrate on the
# command line when there is no display), `make test` (install, build, run every test).
.PHONY: deps configure build test asan-test run format check clean

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

# Formatting and the layer map, as CI checks them.
check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
	./scripts/check-layers

clean:
	rm -rf build
