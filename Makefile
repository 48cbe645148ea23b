# Set-up and everyday commands. `make run` builds and starts the program's main job,
# `make test` builds everything and runs the whole test suite. Both install the Debian
# packages they need when they are missing.

BUILD ?= build
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
PACKAGES := cmake g++ make pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev \
	libbenchmark-dev libxml2-dev libxml2-utils xvfb xauth fonts-ipafont-gothic

.PHONY: deps build run test bench format clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | \
		grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing: $$missing"; \
		$(SUDO) apt-get update && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DORVANIX_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

# Until the editor window exists, the main job is building the example site's feed.
run: build
	@mkdir -p $(BUILD)/example && cp examples/news.tbl $(BUILD)/example/
	@echo "Feed of examples/news.tbl written to:"
	@$(BUILD)/bin/orvanix-feed $(BUILD)/example/news.tbl

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do $$b; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
