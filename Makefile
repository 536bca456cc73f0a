# Murvelon: set-up, build and test in one command each.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD?= build-bench
JOBS       ?= 2
CMAKE_FLAGS?=

.PHONY: deps configure build test asan bench clean run

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
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DMURVELON_BENCH=ON -DMURVELON_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

# Plays the demo song, or renders it to demo.wav where no sound device exists.
run: build
	@scripts/run-demo.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
