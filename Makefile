# Top-level entry points. Each target installs what it needs when it is missing.
JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
TSAN      ?= build-tsan
BENCHDIR  ?= build-bench
FUZZDIR   ?= build-fuzz
CMAKE_GEN  = -G Ninja
CTEST      = ctest --output-on-failure -j $(JOBS)

.PHONY: all deps build run screenshots test test-plain test-asan test-tsan demo bench fuzz format clean

all: build

deps:
	@scripts/install-deps build gui

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The window needs a display; without one, say so and name what works instead.
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display available (DISPLAY and WAYLAND_DISPLAY are unset); use 'xvfb-run make run' for a virtual display, or 'make demo' for a design run without a window."; \
	else \
	  $(BUILD)/app/Dovra; \
	fi

# Every page and the about box, rendered offscreen on a sample task.
SHOTS ?= docs/screenshots
screenshots: build
	@QT_QPA_PLATFORM=offscreen $(BUILD)/app/dovra-screenshots examples/allpass-equaliser.cfg $(SHOTS)
	@QT_QPA_PLATFORM=offscreen $(BUILD)/app/dovra-screenshots examples/allpass-equaliser.cfg $(SHOTS)/1280x1024 1280x1024

test: test-plain test-asan test-tsan

test-plain: build
	cd $(BUILD) && $(CTEST)

test-asan: deps
	@cmake -S . -B $(ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DDOVRA_SANITIZE=address >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $(CTEST)

test-tsan: deps
	@cmake -S . -B $(TSAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDOVRA_SANITIZE=thread >/dev/null
	@cmake --build $(TSAN) -j $(JOBS)
	cd $(TSAN) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/gui/tsan.supp $(CTEST) -L thread

demo: build
	$(BUILD)/batch/dovra-batch --seed 1 -o $(BUILD)/lowpass.out examples/lowpass.cfg
	@echo "Results written to $(BUILD)/lowpass.out"

bench: deps
	@scripts/install-deps bench
	@cmake -S . -B $(BENCHDIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DDOVRA_BUILD_TESTS=OFF -DDOVRA_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BENCHDIR) -j $(JOBS)
	$(BENCHDIR)/bench/dovra_bench_evaluate --benchmark_repetitions=5 --benchmark_report_aggregates_only=true --benchmark_min_time=0.2
	$(BENCHDIR)/bench/dovra_bench_endtoend
	$(BENCHDIR)/bench/dovra_bench_search
	$(BENCHDIR)/bench/dovra_bench_meteor --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

FUZZ_SECONDS ?= 60
FUZZ_TARGETS = fuzz_config_reader fuzz_batch_run
# -entropic_scale_per_exec_time: the fuzzer mutates quick inputs more often
# than slow ones (a batch input of a long FIR design can take a thousand times
# longer than one that is refused), so a run tries more inputs for its time.
fuzz: deps
	@scripts/install-deps fuzz
	@CXX=clang++ cmake -S . -B $(FUZZDIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDOVRA_BUILD_TESTS=OFF -DDOVRA_BUILD_FUZZ=ON >/dev/null
	@cmake --build $(FUZZDIR) -j $(JOBS) --target $(FUZZ_TARGETS)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p fuzz/corpus-run/$$t && cp -n fuzz/corpus/* fuzz/findings/* fuzz/corpus-run/$$t/ 2>/dev/null; \
	  echo "== $$t, $(FUZZ_SECONDS) s"; \
	  $(FUZZDIR)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -entropic_scale_per_exec_time=1 \
	    -print_final_stats=1 fuzz/corpus-run/$$t || exit 1; \
	done

format:
	@find core batch tests bench fuzz app gui -name '*.cpp' -o -name '*.h' | xargs -r clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN) $(TSAN) $(BENCHDIR) $(FUZZDIR)
