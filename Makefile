# Set-up and everyday commands. `make run` builds everything and starts the editor,
# `make test` builds everything and runs the whole test suite. Both install the Debian
# packages they need when they are missing. `make install` puts the editor into ~/.local.

BUILD ?= build
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
PACKAGES := cmake g++ make pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev \
	libbenchmark-dev libxml2-dev libxml2-utils xvfb xauth fonts-ipafont-gothic \
	qt6-translations-l10n openbox xdotool x11-utils fonts-noto-cjk

.PHONY: deps build run install screenshots test bench format clean

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

# The editor needs a desktop; without one, the feed builder does the main job on its own.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD)/bin/orvanix; \
	else \
		echo "No display: the editor window needs a desktop (DISPLAY or WAYLAND_DISPLAY)."; \
		echo "Without one, build a feed from a table file with the command-line feed builder:"; \
		echo "  $(BUILD)/bin/orvanix-feed --stdout examples/news.tbl"; \
	fi

install: build
	cmake --install $(BUILD)

# The window's three pages at 100% and 200%, as PNG files in $(BUILD)/screenshots.
screenshots: build
	tests/app/window_screenshots.sh $(BUILD) $(BUILD)/screenshots

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do $$b; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
