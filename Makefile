# Quick start: `make run` and `make test`. Both install missing Debian packages first.
BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE    := cmake -S . -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps build run test check-asan check-tsan bench clean mutants

deps:
	@./scripts/install-deps.sh

build: deps
	@$(CMAKE) -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	cd content && ../$(BUILD)/app/velmora

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

check-asan: deps
	@$(CMAKE) -B build-asan -DVELMORA_SANITIZE=address >/dev/null
	@cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

check-tsan: deps
	@$(CMAKE) -B build-tsan -DVELMORA_SANITIZE=thread >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	cd build-tsan && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/tsan.supp" ctest --output-on-failure -j $(JOBS)

# Plants faults in FILES (every line), or in the lines changed since BASE (default: main).
mutants: build
	./scripts/mutants.py --build $(BUILD) $(if $(BASE),--base $(BASE)) $(FILTER:%=--filter %) $(FILES)

bench: build
	$(BUILD)/bench/velmora_bench

clean:
	rm -rf build build-asan build-tsan
