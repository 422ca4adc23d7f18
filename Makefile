# make test: install what is missing, configure, build, run every test.
# make run:  install what is missing, configure, build, run the main program.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: deps configure build test run bench clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

bench: build
	@for b in $(BUILD)/bench/*_bench; do $$b; done

clean:
	@rm -rf $(BUILD)
