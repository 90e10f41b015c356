# Top-level entry points. Each target installs what it needs, configures and builds.
JOBS ?= $(shell nproc)
BUILD ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
BUILD_FUZZ ?= build-fuzz

.PHONY: all deps configure build test test-sanitize test-tsan test-valgrind bench demo fuzz clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same suite under AddressSanitizer + UndefinedBehaviorSanitizer, without benchmarks.
test-sanitize: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DQUORVANE_SANITIZE=ON -DQUORVANE_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD_ASAN) --output-on-failure -j $(JOBS)

# The plug-in's host lifecycle under valgrind memcheck (errors and definite leaks fail).
test-valgrind: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target Quorvane validate_lifecycle
	scripts/run-valgrind $(BUILD)

# The programs where threads meet (editor, binding, thread tests) under ThreadSanitizer.
TSAN_TESTS = editor_tests vst2_tests thread_tests
space := $(subst ,, )
test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DQUORVANE_TSAN=ON -DQUORVANE_BENCH=OFF
	cmake --build $(BUILD_TSAN) -j $(JOBS) --target $(TSAN_TESTS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --test-dir $(BUILD_TSAN) --output-on-failure -j $(JOBS) \
	        -L '^($(subst $(space),|,$(TSAN_TESTS)))$$'

# libFuzzer targets (clang), each run for FUZZ_SECONDS on its seed corpus.
FUZZ_SECONDS ?= 30
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DQUORVANE_FUZZ=ON -DQUORVANE_BENCH=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzzers
	scripts/run-fuzzers $(BUILD_FUZZ) $(FUZZ_SECONDS)

# Every benchmark program; fails when one crashes or reports an error.
# The editor benchmarks open windows: a private Xvfb stands in when there is no display.
bench: build
	@$(if $(DISPLAY),,xvfb-run -a) scripts/run-benchmarks $(BUILD)

# The demo riff rendered dry and through the built Quorvane.so, with the summaries, its
# small-signal response and a picture of its editor (on a virtual display when none is set).
RENDER = $(BUILD)/tools/render/quorvane-render
ON_DISPLAY = $(if $(DISPLAY),,xvfb-run -a)
demo: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target Quorvane quorvane-render
	@mkdir -p out
	$(RENDER) --demo --bypass out/demo-dry.wav
	$(RENDER) --demo out/demo-wet.wav --response out/response.png
	$(ON_DISPLAY) $(RENDER) --snapshot out/editor.png

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_FUZZ) out
