# make        release build of the orvo and orvo-batch executables
# make run    build, then convert the bundled demo song to demo.mid
# make test   build with warnings as errors and sanitizers, run every test; then
#             install the release build into a temporary prefix and build the C
#             example against it; then the Python module's tests (pytest) and
#             the page's tests (make test-web)
# make python the Python module in the release tree: PYTHONPATH=build/python
# make fuzz   build the libFuzzer targets with clang and run the whole-run one (FUZZ_SECONDS, default 60)
# make fuzz-long  run both targets at once, on every core, for FUZZ_SECONDS
# make demo   regenerate examples/demo.zmd from its recipe (tools/make_demo.cpp)
# make bench  release build of orvo, orvo-batch and the benchmark programs, then run them
#             (the Python module's figures last)
# make web        the page: the engine in WebAssembly (emscripten) and the static
#                 files, in build-web/site/ (runs npm ci in web/ when needed)
# make serve-web  build the page, then serve it on http://127.0.0.1:8068/ (WEB_PORT)
# make test-web   the page's tests: its rules under Node, then the page in headless
#                 chromium and Firefox against the native orvo

BUILD      ?= build
TEST_BUILD ?= build-test
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
WEB_BUILD  ?= build-web
WEB_PORT   ?= 8068
# Debian's Python, whose packages hold pybind11, pytest and mido.
PYTHON     ?= /usr/bin/python3
PYTHON_TARGETS = orvo_python orvo_write_songs orvo_smf_check orvo_capi_bench

.PHONY: all release python run test fuzz fuzz-build fuzz-long demo bench clean web serve-web test-web

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
	cmake --build $(BUILD) -j $(JOBS) --target orvo orvo-batch orvo_bench orvo_batch_bench orvo_naive_encoder orvo_empty_program orvo_empty_program_default orvo_api_bench orvo_capi_threads $(PYTHON_TARGETS)
	./$(BUILD)/orvo_bench
	./$(BUILD)/orvo_batch_bench
	./$(BUILD)/orvo_api_bench
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
	$(MAKE) test-web

# New inputs go to a scratch corpus; fuzz/corpus and fuzz/corpus_api hold
# the seeds (the demo song, small generated songs and the regression
# inputs). The fuzz build scales every bound down by 1000, so an input at a
# bound ends in milliseconds even under the sanitizers.
FUZZ_FLAGS = -timeout=60 -rss_limit_mb=4096 -dict=fuzz/zmd.dict -print_final_stats=1

fuzz-build:
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVO_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target orvo_fuzz orvo_fuzz_api
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/corpus_api

fuzz: fuzz-build
	./$(FUZZ_BUILD)/orvo_fuzz -max_total_time=$(FUZZ_SECONDS) $(FUZZ_FLAGS) $(FUZZ_BUILD)/corpus fuzz/corpus

# Both targets at once, each on half the cores (at least one), for
# FUZZ_SECONDS; new inputs are merged into the scratch corpora.
FUZZ_FORKS = $(shell n=$$(( $(JOBS) / 2 )); [ $$n -ge 1 ] && echo $$n || echo 1)
fuzz-long: fuzz-build
	./$(FUZZ_BUILD)/orvo_fuzz -fork=$(FUZZ_FORKS) -max_total_time=$(FUZZ_SECONDS) $(FUZZ_FLAGS) \
	  $(FUZZ_BUILD)/corpus fuzz/corpus > $(FUZZ_BUILD)/fuzz-long.log 2>&1 & \
	./$(FUZZ_BUILD)/orvo_fuzz_api -fork=$(FUZZ_FORKS) -max_total_time=$(FUZZ_SECONDS) $(FUZZ_FLAGS) \
	  $(FUZZ_BUILD)/corpus_api fuzz/corpus_api > $(FUZZ_BUILD)/fuzz-long-api.log 2>&1; \
	wait; tail -n 3 $(FUZZ_BUILD)/fuzz-long.log $(FUZZ_BUILD)/fuzz-long-api.log

demo:
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DORVO_TESTS=ON
	cmake --build $(TEST_BUILD) -j $(JOBS) --target make_demo
	./$(TEST_BUILD)/tests/make_demo examples/demo.zmd

# ---- The page (web/) ----
web/node_modules/.package-lock.json: web/package.json web/package-lock.json
	cd web && npm ci --no-audit --no-fund

web: web/node_modules/.package-lock.json
	$(MAKE) -f web/wasm.mk WEB_BUILD=$(WEB_BUILD) -j $(JOBS)
	node web/build.mjs $(WEB_BUILD)/wasm $(WEB_BUILD)/site

serve-web: web
	node web/serve.mjs $(WEB_BUILD)/site $(WEB_PORT)

# The test's songs and the native timing, against the release liborvo.a.
$(WEB_BUILD)/orvo_web_fixtures: web/test/fixtures.cpp bench/songs.cpp tests/support/zmd_builder.cpp $(BUILD)/liborvo.a
	@mkdir -p $(WEB_BUILD)
	$(CXX) -std=c++20 -O2 -Iinclude -Isrc -Itests -Ibench $(filter %.cpp,$^) $(BUILD)/liborvo.a -o $@

test-web: release web
	$(MAKE) $(WEB_BUILD)/orvo_web_fixtures
	cd web && node --test test/unit.test.mjs
	ORVO=$(BUILD)/orvo FIXTURES=$(WEB_BUILD)/orvo_web_fixtures SITE=$(WEB_BUILD)/site SHOTS=$(WEB_BUILD) \
	  node --test --test-concurrency=1 web/test/browser.test.mjs web/test/firefox.test.mjs

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) build-python demo.mid
