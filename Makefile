# The two commands of the README, and the developer's other entry points.
# Each target installs what it needs first (scripts/setup.sh is idempotent).

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= 2

.PHONY: all setup build demo test test-asan bench fuzz golden clean

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAISFW_WERROR=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The main job against the sample firmware.
demo: build
	@bash scripts/demo.sh $(BUILD)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: setup
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAISFW_SANITIZE=ON \
	  -DAISFW_BENCH=OFF -DAISFW_WERROR=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Benchmarks, built optimised; each prints its own figures.
bench: build
	@set -e; for b in $(BUILD)/bench/*_bench; do echo "== $$b"; "$$b"; done

# Writes the golden files of the receiver logs anew (tests/data/golden/):
# only after a change meant to change what a log decodes to. Review the
# difference before committing it.
golden: build
	@cmake --build $(BUILD) --target golden

# Coverage-guided fuzzing of the input boundaries with clang's libFuzzer,
# FUZZ_SECONDS each; a crash leaves its input in $(FUZZ_BUILD)/.
fuzz: setup
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DAISFW_SANITIZE=ON -DAISFW_FUZZ=ON -DAISFW_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target parse_sentence_fuzz validate_image_fuzz \
	  receive_lines_fuzz transponder_fuzz
	@rm -rf $(FUZZ_BUILD)/seeds && mkdir -p $(FUZZ_BUILD)/seeds/sentences
	@find tests/data/corpus/nmea tests/data/corpus/ais -type f ! -name '*.json' ! -name '*.md' \
	  ! -name '.*' -print0 | sort -z | xargs -0 cat | grep -a '^[!$$]' \
	  | awk 'NR % 7 == 0' | head -3000 | sed 's/\r*$$/\r/' \
	  | split -l 1 -a 4 - $(FUZZ_BUILD)/seeds/sentences/line-
	@cd $(FUZZ_BUILD) && ./fuzz/parse_sentence_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=400 \
	  seeds/sentences
	@cd $(FUZZ_BUILD) && ./fuzz/validate_image_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=3000
	@cd $(FUZZ_BUILD) && ./fuzz/receive_lines_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=12000
	@cd $(FUZZ_BUILD) && ./fuzz/transponder_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=3000

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
