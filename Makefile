# Entry points: `make run` (install, build, open the window on the simulator, or demonstrate on the
# command line when there is no display), `make test` (install, build, run every test), `make package`
# (the Debian package, build/$(PRESET)/orbix_VERSION_ARCH.deb).
.PHONY: deps configure build test asan-test run package check-package format check clean

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

package: build
	cmake --build --preset $(PRESET) --target package

# Installs the package, runs it from /usr and purges it again, as CI does (needs root or sudo).
check-package: build
	./scripts/check-package build/$(PRESET)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Formatting and the layer map, as CI checks them.
check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
	./scripts/check-layers

clean:
	rm -rf build
