# The two set-up commands of README.md live here: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build run test bench package tsan asan clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./omtrix

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# A Debian package of the installed program: build/omtrix_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	cd $(BUILD) && for b in bench_*; do ./$$b || exit 1; done

# Qt and GLib are not built with the thread checker; tests/tsan.supp names
# what it cannot see through there.
tsan:
	TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp" \
	$(MAKE) test BUILD=build-tsan CMAKE_FLAGS="-DSANITIZE=thread -DCMAKE_BUILD_TYPE=Debug"

# Undefined behaviour is checked in the same run (built not to recover, so it
# fails the test that meets it); its report comes with a stack.
asan:
	UBSAN_OPTIONS="print_stacktrace=1" LSAN_OPTIONS="suppressions=$(CURDIR)/tests/lsan.supp" \
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DSANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug"

clean:
	rm -rf build build-tsan build-asan
