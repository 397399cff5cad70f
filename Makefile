# Everyday commands; see the README.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 15

.PHONY: all setup configure build run test bench demo install fuzz fuzz-build fuzz-smoke clean

all: build

setup:
	@scripts/setup

configure: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/lanscout

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) $(CTEST_FLAGS)
	@$(MAKE) --no-print-directory fuzz-smoke

bench: build
	scripts/bench $(BUILD)

demo: build
	tests/net/demo $(BUILD)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)
	@if [ "$$(id -u)" -eq 0 ]; then \
	  setcap cap_net_bind_service=+ep $(PREFIX)/bin/lanscout && \
	  echo "install: $(PREFIX)/bin/lanscout may bind port 67"; \
	  if [ -x $(PREFIX)/bin/lanscout-scan ]; then setcap cap_net_bind_service=+ep $(PREFIX)/bin/lanscout-scan; fi; \
	else \
	  echo "install: not root, so the broadcast search on port 67 stays off; see the README"; \
	fi

# libFuzzer targets, built with clang and the address and undefined-behaviour
# sanitizers in a tree of their own.
fuzz-build: setup
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DLANSCOUT_FUZZ=ON -DLANSCOUT_SANITIZE=address,undefined \
	  -DLANSCOUT_TESTS=OFF -DLANSCOUT_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target lanscout_fuzzers

# A short run of every fuzz target (part of `make test`).
fuzz-smoke: fuzz-build
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# As long as you like: make fuzz FUZZ_SECONDS=600
fuzz: FUZZ_SECONDS = 300
fuzz: fuzz-build
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
