# make test: install what is missing, configure, build, run every test.
# make run:  install what is missing, configure, build, then the desktop app on
#            a configuration document connected to pellion-sim (needs a display;
#            without one: xvfb-run -a make run).
# make install: the program, its manual, desktop entry and file types under PREFIX.
BUILD  ?= build
JOBS   ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: deps configure build test run bench install clean

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

install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)
	@if [ -z "$(DESTDIR)" ] && command -v update-mime-database >/dev/null; then update-mime-database $(PREFIX)/share/mime; fi
	@if [ -z "$(DESTDIR)" ] && command -v update-desktop-database >/dev/null; then update-desktop-database $(PREFIX)/share/applications; fi

bench: build
	@for b in $(BUILD)/bench/*_bench; do $$b; done

clean:
	@rm -rf $(BUILD)
