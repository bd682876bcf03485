# Thin wrapper around CMake and CTest.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
THREAD_BUILD ?= build-thread
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test test-normal test-sanitize test-thread bench clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DCURTIS_TESTS=ON -DCURTIS_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/curtis

test: test-normal test-sanitize test-thread

test-normal: build
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j $(JOBS)

test-sanitize:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCURTIS_SANITIZE=ON -DCURTIS_TESTS=ON -DCURTIS_BENCH=OFF
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure --no-tests=error -j $(JOBS)

test-thread:
	cmake -S . -B $(THREAD_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCURTIS_SANITIZE_THREAD=ON -DCURTIS_TESTS=ON -DCURTIS_BENCH=OFF
	cmake --build $(THREAD_BUILD) -j $(JOBS) --target elimination_tests
	ctest --test-dir $(THREAD_BUILD) --output-on-failure --no-tests=error -j $(JOBS)

bench: build
	bench/run.sh

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(THREAD_BUILD)
