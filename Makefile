# make        release build of the orvo and orvo-batch executables
# make run    build, then convert the bundled demo song to demo.mid
# make test   build with warnings as errors and sanitizers, run every test; then
#             install the release build into a temporary prefix and build the C
#             example against it; then the Python module's tests (pytest)
# make python the Python module in the release tree: PYTHONPATH=build/python
# make fuzz   build the libFuzzer target with clang and run it (FUZZ_SECONDS, default 60)
# make demo   regenerate examples/demo.zmd from its recipe (tools/make_demo.cpp)
# make bench  release build of orvo, orvo-batch and the benchmark programs, then run them
#             (the Python module's figures last)

BUILD      ?= build
TEST_BUILD ?= build-test
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# Debian's Python, whose packages hold pybind11, pytest and mido.
PYTHON     ?= /usr/bin/python3
PYTHON_TARGETS = orvo_python orvo_write_songs orvo_smf_check orvo_capi_bench

.PHONY: all release python run test fuzz demo bench clean

all: release

release:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# The Python module is built from the release configuration, never with
# sanitizers: Python cannot load an instrumented extension.
python: release
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DORVO_PYTHON=ON
	cmake --build $(BUILD) -j $(JOBS) --target $(PYTHON_TARGETS)

bench:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DORVO_BENCH=ON -DORVO_PYTHON=ON
	cmake --build $(BUILD) -j $(JOBS) --target orvo orvo-batch orvo_bench orvo_batch_bench orvo_naive_encoder orvo_empty_program orvo_empty_program_default $(PYTHON_TARGETS)
	./$(BUILD)/orvo_bench
	./$(BUILD)/orvo_batch_bench
	PYTHONPATH=$(BUILD)/python $(PYTHON) bench/python_bench.py $(BUILD)

run: release
	./$(BUILD)/orvo -c examples/demo.zmd > demo.mid
	@echo "demo.mid written"

test: python
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DORVO_TESTS=ON -DORVO_WERROR=ON -DORVO_SANITIZE=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS)
	tests/install/run.sh $(BUILD)
	ORVO_BUILD=$(BUILD) PYTHONPATH=$(BUILD)/python PYTHONDONTWRITEBYTECODE=1 \
	  $(PYTHON) -m pytest -q -p no:cacheprovider python/tests

# New inputs go to a scratch corpus; fuzz/corpus holds the seeds (the demo
# song and the regression inputs). A conversion is bounded but may take over
# a minute with sanitizers (79 tracks at their command bound, 4.5 s in a
# release build), hence the generous per-input timeout.
fuzz:
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVO_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target orvo_fuzz
	mkdir -p $(FUZZ_BUILD)/corpus
	./$(FUZZ_BUILD)/orvo_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=300 -rss_limit_mb=4096 \
	  -print_final_stats=1 $(FUZZ_BUILD)/corpus fuzz/corpus

demo:
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DORVO_TESTS=ON
	cmake --build $(TEST_BUILD) -j $(JOBS) --target make_demo
	./$(TEST_BUILD)/tests/make_demo examples/demo.zmd

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(FUZZ_BUILD) build-python demo.mid
