# Quick start: `make run` (desk with a demo show) and `make test` (every test,
# normal and sanitizer builds). Both install what is missing first: `run`
# only what building and running need, `test` the test tools as well.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps deps-run deps-package deps-test build build-asan run test test-normal test-asan \
        bench package install fuzz soak clean

all: build

deps-run:
	@bash scripts/deps.sh run

deps-package:
	@bash scripts/deps.sh package

deps-test:
	@bash scripts/deps.sh test

deps: deps-test

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DLUMORA_SANITIZE=ON -DLUMORA_BENCH=OFF \
	  -DLUMORA_TESTS=ON

build: deps-run $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps-test $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Starts the desk with its windows (under a virtual display when there is none).
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "no display: starting the desk under Xvfb"; \
	  xvfb-run -a -s "-screen 0 1920x1080x24" $(BUILD)/lumora --demo; \
	else \
	  $(BUILD)/lumora --demo; \
	fi

test: test-normal test-asan

# The test tools are there now: configure again so that every test is built
# (a build folder made by `make run` may have none) and a missing package
# validator fails the package test instead of leaving it out.
test-normal: deps-test $(BUILD)/build.ninja
	cmake -S . -B $(BUILD) -DLUMORA_TESTS=ON -DLUMORA_REQUIRE_PACKAGING=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j $(JOBS)

bench: deps-test $(BUILD)/build.ninja
	cmake -S . -B $(BUILD) -DLUMORA_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)
	$(BUILD)/bench/lumora_bench

# The Debian package: $(BUILD)/lumora_<version>_<arch>.deb
package: deps-package build
	cd $(BUILD) && cpack -G DEB

# Installs under PREFIX (default /usr/local).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Probes run by hand, outside CI. `make fuzz` runs each libFuzzer target for
# FUZZ_SECONDS (corpora kept under build-fuzz/); FUZZ_TARGETS picks some.
FUZZ_SECONDS ?= 600
FUZZ_TARGETS ?=
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz.sh $(FUZZ_TARGETS)

# Random operator actions through the console on the sanitizer build.
SOAK_ACTIONS ?= 500000
SOAK_SEED    ?= 1
# Then the kill-during-save loop: SOAK_KILLS kills of a desk saving a maximal show.
SOAK_KILLS   ?= 200
soak: deps $(ASAN_BUILD)/build.ninja $(BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target lumora_soak
	SOAK_ACTIONS=$(SOAK_ACTIONS) SOAK_SEED=$(SOAK_SEED) bash scripts/soak.sh $(ASAN_BUILD)/tests/lumora_soak
	cmake --build $(BUILD) -j $(JOBS)
	python3 scripts/soak_save.py --build $(BUILD) --kills $(SOAK_KILLS) --seed $(SOAK_SEED)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
