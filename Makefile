# The two commands of the README: `make run` and `make test`. Both install what they need.
PRESET ?= default
BUILD := build/$(PRESET)
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test asan bench fuzz deb format clean

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/build.ninja:
	cmake --preset $(PRESET)

build: deps $(BUILD)/build.ninja
	cmake --build --preset $(PRESET)

run: build
	@bash scripts/run-tayori $(BUILD)/src/app/tayori

test: build
	ctest --preset $(PRESET) -j2

asan:
	$(MAKE) test PRESET=asan

bench: build
	@bash scripts/bench $(BUILD)

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz --target fuzzers
	@bash scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS)

deb: build
	cpack --config $(BUILD)/CPackConfig.cmake -B $(BUILD)/deb

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
