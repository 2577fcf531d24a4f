# Entry points: `make run` and `make test` set up everything on a fresh Debian 12.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
FUZZ_DIR  ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS      ?= $(shell nproc)
CMAKE_FLAGS = -G Ninja -DZEMBRA_WERROR=ON

.PHONY: deps configure build test test-asan run bench package fuzz format format-check clean

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DZEMBRA_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# With a display: the dialog. Without one: the headless import of the example.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD_DIR)/app/zembra-tool; \
	else \
	  echo "No display: importing the example workbook examples/channels.xlsx instead."; \
	  $(BUILD_DIR)/cli/zembra-tp build examples/channels.xlsx -o $(BUILD_DIR)/channels.bin; \
	  echo "On a desktop, 'make run' (or $(BUILD_DIR)/app/zembra-tool) starts the dialog."; \
	fi

# Every fuzz target for FUZZ_SECONDS seconds (clang, libFuzzer, ASan+UBSan).
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMBRA_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

package: build
	cd $(BUILD_DIR) && cpack -G DEB

bench: build
	bench/run_bench.sh $(BUILD_DIR)

SOURCES = $(shell git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')

format:
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run -Werror $(SOURCES)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
