# Quick start: `make run` (desk with a demo show) and `make test` (every test,
# normal and sanitizer builds). Both install what is missing first.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build build-asan run test test-normal test-asan bench fuzz soak clean

all: build

deps:
	@bash scripts/deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DLUMORA_SANITIZE=ON -DLUMORA_BENCH=OFF

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Starts the desk with its windows (under a virtual display when there is none).
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "no display: starting the desk under Xvfb"; \
	  xvfb-run -a -s "-screen 0 1920x1080x24" $(BUILD)/lumora --project project/demo/demo_show.xml; \
	else \
	  $(BUILD)/lumora --project project/demo/demo_show.xml; \
	fi

test: deps test-normal test-asan

test-normal: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bench/lumora_bench

# Probes run by hand, outside CI. `make fuzz` runs each libFuzzer target for
# FUZZ_SECONDS (corpora kept under build-fuzz/); FUZZ_TARGETS picks some.
FUZZ_SECONDS ?= 600
FUZZ_TARGETS ?=
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz.sh $(FUZZ_TARGETS)

# Random operator actions through the console on the sanitizer build.
SOAK_ACTIONS ?= 500000
SOAK_SEED    ?= 1
soak: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target lumora_soak
	SOAK_ACTIONS=$(SOAK_ACTIONS) SOAK_SEED=$(SOAK_SEED) bash scripts/soak.sh $(ASAN_BUILD)/tests/lumora_soak

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
