# Quick start: `make run` and `make test`. Both install missing Debian packages first.
BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE    := cmake -S . -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps build run test check-asan check-tsan bench clean package mutants

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
	rm -rf build build-asan build-tsan
