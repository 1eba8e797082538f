# The two commands of the README, and the developer's other entry points.
# Each target installs what it needs first (scripts/setup.sh is idempotent).

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= 2
PREFIX     ?= /usr/local

.PHONY: all setup build demo test test-asan test-tsan bench golden fuzz-build fuzz fuzz-short fuzz-seeds \
  soak soak-realtime screenshots package install format format-check clean

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAISFW_WERROR=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The main job: upgrade the virtual transponder with the sample firmware.
demo: build
	@bash scripts/demo.sh $(BUILD)

# A Debian package of the programs, the sample firmware and the manual pages,
# in $(BUILD)/; install it with: sudo apt install ./$(BUILD)/aisfw_*.deb
package: build
	@cmake --build $(BUILD) --target package

# The same files straight into PREFIX (default /usr/local).
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: setup
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAISFW_SANITIZE=ON \
	  -DAISFW_BENCH=OFF -DAISFW_WERROR=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Under ThreadSanitizer, the tests where the serial port's event thread meets
# the main thread: the serial component, the engine on in-memory lines, the
# whole wizard, and the programs end to end (command line, window, simulator),
# and a canary whose race the run must report (tests/tsan/).
TSAN_TESTS := comm_tests upgrade_tests wizard_tests sim_program_tests cli_unit_tests cli_upgrade_tests \
  gui_parts_tests gui_form_tests gui_upgrade_tests tsan_canary
test-tsan: setup
	@cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAISFW_TSAN=ON \
	  -DAISFW_BENCH=OFF -DAISFW_WERROR=ON >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS) aisfw aisfw-sim
	@TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan.supp ctest --test-dir $(TSAN_BUILD) \
	  --output-on-failure -j $(JOBS) -L threads

# Many upgrades in virtual time, each against a device playing a random
# fault; SOAK_RUNS of them (the test suite runs a short one).
SOAK_RUNS ?= 1000
soak: build
	@$(BUILD)/tests/soak/virtual_soak --runs $(SOAK_RUNS) --seed 1

# The same in real time: SOAK_REALTIME_RUNS upgrades through aisfw against
# aisfw-sim on pseudo-terminals, a healthy one after each failure, then the
# CPU aisfw uses over SOAK_WAIT_SECONDS of waiting on a silent device. CI runs
# a short one.
SOAK_REALTIME_RUNS ?= 20
SOAK_WAIT_SECONDS  ?= 30
soak-realtime: build
	@$(BUILD)/tests/soak/realtime_soak --runs $(SOAK_REALTIME_RUNS) --seed 1 \
	  --wait-seconds $(SOAK_WAIT_SECONDS)

# The C++ sources laid out as .clang-format says: `make format` rewrites
# them, `make format-check` (CI) names the files that differ.
format: setup
	@bash scripts/format.sh
format-check: setup
	@bash scripts/format.sh --check

# Benchmarks, built optimised; each prints its own figures.
bench: build
	@set -e; for b in $(BUILD)/bench/*_bench; do echo "== $$b"; "$$b"; done

# Writes the golden files of the receiver logs anew (tests/data/golden/):
# only after a change meant to change what a log decodes to. Review the
# difference before committing it.
golden: build
	@cmake --build $(BUILD) --target golden

# Coverage-guided fuzzing of the input boundaries with clang's libFuzzer.
# `make fuzz` runs every harness for FUZZ_SECONDS, on a scratch corpus under
# $(FUZZ_BUILD)/fuzz-runs/ that keeps what earlier runs found (FUZZERS="a b"
# runs only those); `make fuzz-short` runs each for 10 s from its committed
# seeds alone, as CI does. A crash leaves its input in $(FUZZ_BUILD)/fuzz-runs/
# and fails the target. `make fuzz-seeds` records the wizard fuzzer's seeds
# again from whole upgrades (fuzz/seeds/wizard/).
FUZZERS ?=
fuzz-build: setup
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DAISFW_SANITIZE=ON -DAISFW_FUZZ=ON -DAISFW_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers wizard_seed

fuzz: fuzz-build
	@bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZERS)

fuzz-short: fuzz-build
	@bash scripts/fuzz.sh --fresh $(FUZZ_BUILD) 10 $(FUZZERS)

fuzz-seeds: fuzz-build
	@$(FUZZ_BUILD)/fuzz/wizard_seed fuzz/seeds/wizard

# The wizard's four pages, an error box, the automatic mode, a failed
# transfer and the firmware-folder choice, rendered offscreen against the
# virtual transponder, as the PNG files the README shows.
screenshots: build
	@$(BUILD)/tests/app/gui_screenshots docs/screenshots

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
