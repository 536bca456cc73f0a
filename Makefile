# Murvelon: set-up, build and test in one command each.
SHELL := /bin/bash
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD?= build-bench
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 20
FUZZ_TARGETS = song mod preset wav wavelist wavecache ini
JOBS       ?= 2
CMAKE_FLAGS?=

PREFIX     ?= /usr/local

.PHONY: deps configure build test asan tsan fuzz fuzz-smoke bench clean run screenshot install package

deps:
	@scripts/install-deps.sh

# Configuring again is quick and lets CMAKE_FLAGS take effect on an existing build.
configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DMURVELON_SANITIZE=address,undefined $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The tests again under ThreadSanitizer: the output thread's tests and the
# editor-against-renderer test in tests/realtime must report nothing.
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DMURVELON_SANITIZE=thread $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan.supp \
	  ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS)

# libFuzzer targets with AddressSanitizer and UndefinedBehaviorSanitizer;
# clang only. The seed corpora are written by make_seeds into the build.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DMURVELON_FUZZ=ON -DMURVELON_TESTS=OFF \
	  -DMURVELON_SANITIZE=address,undefined,fuzzer-no-link $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	rm -rf $(FUZZ_BUILD)/seeds && $(FUZZ_BUILD)/fuzz/make_seeds $(FUZZ_BUILD)/seeds

# Each target for FUZZ_SECONDS on a fresh copy of its seeds (among them
# every input a fuzzer found, from tests/data/fuzz), from a fixed seed so
# that a run can be repeated; any finding fails. Longer runs: make fuzz, then run build-fuzz/fuzz/fuzz_* yourself.
fuzz-smoke: fuzz
	@set -e; for t in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_BUILD)/corpus-$$t && mkdir -p $(FUZZ_BUILD)/corpus-$$t; \
	  cp -r $(FUZZ_BUILD)/seeds/$$t/. $(FUZZ_BUILD)/corpus-$$t/; \
	  echo "== fuzz_$$t"; \
	  ASAN_OPTIONS=detect_leaks=0 $(FUZZ_BUILD)/fuzz/fuzz_$$t -seed=1 -max_total_time=$(FUZZ_SECONDS) -detect_leaks=0 -timeout=10 \
	    -rss_limit_mb=4096 -artifact_prefix=$(FUZZ_BUILD)/crash-$$t- -print_final_stats=1 \
	    $(FUZZ_BUILD)/corpus-$$t > $(FUZZ_BUILD)/fuzz-$$t.log 2>&1 \
	    || { tail -40 $(FUZZ_BUILD)/fuzz-$$t.log; exit 1; }; \
	  grep -E "stat::number_of_executed_units" $(FUZZ_BUILD)/fuzz-$$t.log; \
	done

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DMURVELON_BENCH=ON -DMURVELON_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

# Opens the demo song in the desktop program where a display exists;
# otherwise plays it, or renders it to demo.wav where no sound device exists.
run: build
	@scripts/run-demo.sh

# Pictures of the windows for the README, taken offscreen, at normal and
# double density.
screenshot: build
	$(BUILD)/ui/murvelon-screenshots docs/screenshots
	QT_SCALE_FACTOR=2 $(BUILD)/ui/murvelon-screenshots docs/screenshots @2x

# Installs the programs, the desktop entry, file types, icons, manual pages,
# the demo song and the starter presets under PREFIX.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package: $(BUILD)/murvelon_VERSION_ARCH.deb.
package: build
	cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
