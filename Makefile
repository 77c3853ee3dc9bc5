# The two entry points of the project. Each makes sure the build tools are
# present (installing them as root), then configures and builds with CMake.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all demo check deps configure build clean fuzz-campaign windows arm

all: build

deps:
	@tools/ensure_deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

demo: build
	@tools/demo.sh $(BUILD_DIR)

check: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# Every fuzz target under ASan + UBSan toward FUZZ_RUNS executions each, in
# pieces of at most FUZZ_SECONDS per target (0: none); see README.md.
FUZZ_RUNS ?= 10000000
FUZZ_SECONDS ?= 0
fuzz-campaign: deps
	@FUZZ_RUNS=$(FUZZ_RUNS) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) tools/fuzz_campaign.sh

# Cross builds with their tests under Wine and QEMU (tools/cross_check.sh).
windows:
	@JOBS=$(JOBS) tools/cross_check.sh windows build-windows

arm:
	@JOBS=$(JOBS) tools/cross_check.sh arm build-arm

clean:
	rm -rf $(BUILD_DIR)
