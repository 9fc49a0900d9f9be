# FolderInventory: `make run` builds and starts the program, `make test` builds and runs every test
# (format check, normal build, the same suite under AddressSanitizer and UBSan, the engine tests
# under ThreadSanitizer, then each fuzz target over its seed corpus).
# `make install` installs (PREFIX, DESTDIR), `make deb` builds the Debian package, `make fuzz`
# runs each fuzz target for FUZZ_SECONDS.

BUILD      ?= build
SAN_BUILD  ?= build-san
TSAN_BUILD ?= build-tsan
DEB_BUILD  ?= build-deb
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
PREFIX     ?= /usr/local
DESTDIR    ?=
JOBS       ?= $(shell nproc)
# CI turns warnings into errors.
WERROR     ?= $(if $(CI),ON,OFF)
CMAKE_ARGS ?=

.PHONY: all deps configure build run install deb test test-fast test-san test-tsan test-fuzz fuzz format-check screenshots bench clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFI_WERROR=$(WERROR) $(CMAKE_ARGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/ui/folderinventory

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A release build without tests, with Debian's hardening flags, packed by CPack.
deb:
	@tools/install-deps.sh deb
	DEB_BUILD_MAINT_OPTIONS=hardening=+all \
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF \
	      -DFI_WERROR=$(WERROR) $(CMAKE_ARGS)
	cmake --build $(DEB_BUILD) -j $(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB

test-fast: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-san: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DFI_SANITIZE=ON -DFI_WERROR=$(WERROR) $(CMAKE_ARGS)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The engine's worker threads under ThreadSanitizer. Only the engine tests: the tool's tests start
# it through QProcess, whose vfork-like start ThreadSanitizer cannot follow.
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DFI_TSAN=ON -DFI_GUI=OFF -DFI_WERROR=$(WERROR) $(CMAKE_ARGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target fi_search_tests
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(TSAN_BUILD)/tests/search/fi_search_tests --gtest_brief=1

# The fuzz targets, built with clang for libFuzzer under AddressSanitizer and UBSan, each run
# once over its seed corpus (tests/fuzz/corpus).
test-fuzz:
	@tools/install-deps.sh fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DFI_FUZZ=ON -DFI_GUI=OFF -DFI_WERROR=$(WERROR) $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS seconds, growing its corpus in $(FUZZ_BUILD)/fuzz-corpus.
fuzz: test-fuzz
	tools/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

test: format-check test-fast test-san test-tsan test-fuzz

# Every tracked C++ file as .clang-format wants it; each deviation is listed and fails the check.
format-check:
	@tools/install-deps.sh format
	git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

screenshots: build
	@tools/install-deps.sh screenshots
	tools/screenshots.sh $(BUILD)

# Configured again after the install, so a libfuse3 installed just now is found.
bench: configure
	@tools/install-deps.sh bench
	cmake -S . -B $(BUILD)
	cmake --build $(BUILD) -j $(JOBS) --target fi_bench_tools
	bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(DEB_BUILD) $(FUZZ_BUILD)
