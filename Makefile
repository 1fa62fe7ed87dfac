# Top-level entry points; CMake with Ninja does the work.
BUILD     ?= build
BUILDTYPE ?= RelWithDebInfo
JOBS      ?= 2
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60
PREFIX    ?= /usr/local

.PHONY: all deps configure build test run screenshots install bench fuzz format clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILDTYPE) -DCORDA_WERROR=ON $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

run: build
	@scripts/run-samples $(BUILD)

screenshots: build
	@scripts/screenshots $(BUILD)

# Programs, library, launcher entry, file type, icons and description under $(PREFIX).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

bench: deps
	@bench/run-all

fuzz: deps
	@scripts/run-fuzz $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
