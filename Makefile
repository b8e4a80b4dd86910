# Quick start: `make run` and `make test`. Both install missing Debian packages first.
BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE    := cmake -S . -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps build run test test-size check-asan check-tsan bench clean package mutants fuzz random-player

deps:
	@./scripts/install-deps.sh

build: deps
	@$(CMAKE) -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	cd content && ../$(BUILD)/app/velmora

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# How large the suite is against the program it tests.
test-size:
	@./scripts/test-size.sh

check-asan: deps
	@$(CMAKE) -B build-asan -DVELMORA_SANITIZE=address >/dev/null
	@cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

check-tsan: deps
	@$(CMAKE) -B build-tsan -DVELMORA_SANITIZE=thread >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	cd build-tsan && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/tsan.supp" ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer), each run for
# FUZZ_SECONDS on a corpus kept in build-fuzz/fuzz-corpus.
FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang CXX=clang++ $(CMAKE) -B build-fuzz -DVELMORA_SANITIZE=fuzzer >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target make_fuzz_seeds fuzz_wave fuzz_stats fuzz_config fuzz_slide $(if $(wildcard fuzz/fuzz_coefficients.cpp),fuzz_coefficients)
	./scripts/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS)

# The random player of the test suite, long: RANDOM_STEPS steps from RANDOM_SEED.
RANDOM_STEPS ?= 100000
RANDOM_SEED ?= 14
random-player: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen VELMORA_RANDOM_STEPS=$(RANDOM_STEPS) VELMORA_RANDOM_SEED=$(RANDOM_SEED) ./tests/test_app --gtest_filter='RandomPlayer.*'

# A Debian package of the installed program, in $(BUILD)/.
package: build
	@cmake --build $(BUILD) --target package

# Plants faults in FILES (every line), or in the lines changed since BASE (default: main).
mutants: build
	./scripts/mutants.py --build $(BUILD) $(if $(BASE),--base $(BASE)) $(FILTER:%=--filter %) $(FILES)

bench: build
	@dpkg-query -W -f='$${Status}' python3-scipy 2>/dev/null | grep -q 'install ok installed' || \
		$(if $(filter 0,$(shell id -u)),,sudo) apt-get install -y -qq --no-install-recommends python3-scipy || true
	$(BUILD)/bench/velmora_bench
	/usr/bin/python3 bench/compare_scipy.py $(BUILD)/bench/velmora_bench

clean:
	rm -rf build build-asan build-tsan build-fuzz
