# Thin wrapper around CMake and CTest. `make run` and `make test` install the
# Debian packages they need that are missing (scripts/ensure-packages.sh).
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
THREAD_BUILD ?= build-thread
CLANG_BUILD ?= build-clang
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 30

RUN_PACKAGES = cmake g++ make libcli11-dev zlib1g-dev
TEST_PACKAGES = $(RUN_PACKAGES) nlohmann-json3-dev libgtest-dev libbenchmark-dev libxml2-utils python3 \
                chromium chromium-driver python3-selenium nodejs pmccabe texlive-latex-base \
                texlive-pictures poppler-utils clang-format python3-jsonschema
CLANG_PACKAGES = $(TEST_PACKAGES) clang libclang-rt-14-dev

.PHONY: all build run test test-normal test-sanitize test-thread test-clang bench clean format-check \
        run-packages test-packages clang-packages

all: build

run-packages:
	@scripts/ensure-packages.sh $(RUN_PACKAGES)
test-packages:
	@scripts/ensure-packages.sh $(TEST_PACKAGES)
clang-packages:
	@scripts/ensure-packages.sh $(CLANG_PACKAGES)

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DCURTIS_TESTS=ON -DCURTIS_BENCH=ON \
	    -DCURTIS_ASSERTIONS=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: run-packages build
	./$(BUILD)/curtis

test: test-packages
	$(MAKE) format-check test-normal test-sanitize test-thread

# Every C++ source as .clang-format lays it out.
format-check:
	find src tests bench \( -name '*.cpp' -o -name '*.hpp' \) -print0 | xargs -0 clang-format --dry-run -Werror

# Warnings are errors in every test build.
test-normal:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DCURTIS_TESTS=ON -DCURTIS_BENCH=ON \
	    -DCURTIS_ASSERTIONS=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j $(JOBS)

test-sanitize:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCURTIS_SANITIZE=ON \
	    -DCURTIS_TESTS=ON -DCURTIS_BENCH=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure --no-tests=error -j $(JOBS)

test-thread:
	cmake -S . -B $(THREAD_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCURTIS_SANITIZE_THREAD=ON \
	    -DCURTIS_TESTS=ON -DCURTIS_BENCH=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
	cmake --build $(THREAD_BUILD) -j $(JOBS) --target table_tests table_cache_tests reading_threads_tests
	ctest --test-dir $(THREAD_BUILD) --output-on-failure --no-tests=error -j $(JOBS)

# The whole suite built with clang, then each libFuzzer target for
# FUZZ_SECONDS seconds (under AddressSanitizer and UndefinedBehaviorSanitizer).
test-clang: clang-packages
	cmake -S . -B $(CLANG_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
	    -DCURTIS_TESTS=ON -DCURTIS_BENCH=OFF -DCURTIS_FUZZ=ON -DCURTIS_BROWSER_TESTS=OFF -DCURTIS_ASSERTIONS=ON \
	    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
	cmake --build $(CLANG_BUILD) -j $(JOBS)
	ctest --test-dir $(CLANG_BUILD) --output-on-failure --no-tests=error -j $(JOBS)
	mkdir -p $(CLANG_BUILD)/corpus-table_fuzz
	./$(CLANG_BUILD)/curtis-chart --sphere -T 12 --max-filtration 3 --cache $(CLANG_BUILD)/corpus-table_fuzz -o $(CLANG_BUILD)/table-fuzz-seeds.json
	./$(CLANG_BUILD)/curtis-chart --bottom-cell 1 -T 12 --cache $(CLANG_BUILD)/corpus-table_fuzz -o $(CLANG_BUILD)/table-fuzz-seeds.json
	for target in reply_fuzz options_fuzz table_fuzz; do \
	    mkdir -p $(CLANG_BUILD)/corpus-$$target && \
	    ./$(CLANG_BUILD)/tests/$$target -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	        -artifact_prefix=$(CLANG_BUILD)/ \
	        -print_final_stats=1 $(CLANG_BUILD)/corpus-$$target || exit 1; \
	done

bench: build
	bench/run.sh

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(THREAD_BUILD) $(CLANG_BUILD)
