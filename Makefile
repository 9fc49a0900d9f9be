# FolderInventory: `make run` builds and starts the program, `make test` builds and runs every test
# (a normal build, then the same suite under AddressSanitizer and UndefinedBehaviorSanitizer).

BUILD      ?= build
SAN_BUILD  ?= build-san
JOBS       ?= $(shell nproc)
# CI turns warnings into errors.
WERROR     ?= $(if $(CI),ON,OFF)
CMAKE_ARGS ?=

.PHONY: all deps configure build run test test-fast test-san screenshots bench clean

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

test-fast: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-san: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DFI_SANITIZE=ON -DFI_WERROR=$(WERROR) $(CMAKE_ARGS)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test: test-fast test-san

screenshots: build
	@tools/install-deps.sh screenshots
	tools/screenshots.sh $(BUILD)

bench: configure
	@tools/install-deps.sh bench
	cmake --build $(BUILD) -j $(JOBS) --target folderinventory-cli fi_bench_tree fi_bench_gui
	bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
