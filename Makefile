# make        release build of the orvo executable
# make run    build, then convert the bundled demo song to demo.mid
# make test   build with warnings as errors and sanitizers, run every test
# make demo   regenerate examples/demo.zmd from its recipe (tools/make_demo.cpp)

BUILD      ?= build
TEST_BUILD ?= build-test
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all release run test demo clean

all: release

release:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

run: release
	./$(BUILD)/orvo -c examples/demo.zmd > demo.mid
	@echo "demo.mid written"

test:
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DORVO_TESTS=ON -DORVO_WERROR=ON -DORVO_SANITIZE=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && ctest --output-on-failure -j $(JOBS)

demo:
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DORVO_TESTS=ON
	cmake --build $(TEST_BUILD) -j $(JOBS) --target make_demo
	./$(TEST_BUILD)/tests/make_demo examples/demo.zmd

clean:
	rm -rf $(BUILD) $(TEST_BUILD) demo.mid
