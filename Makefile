# Everyday commands. On a fresh machine start with ./setup.sh, which installs make first:
# `./setup.sh run` builds everything and starts the editor, `./setup.sh test` builds everything
# and runs the whole test suite (both the same as `make run` and `make test` once make is there).
# Both install the Debian packages they need when they are missing. `make install` puts the
# editor into ~/.local, `make package` builds a Debian package.

BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev \
	libbenchmark-dev libxcb1-dev libxml2-dev libxml2-utils xvfb xauth fonts-ipafont-gothic \
	qt6-translations-l10n clang-format dpkg-dev file desktop-file-utils shared-mime-info \
	openbox xdotool x11-utils fonts-noto-cjk dbus-x11 fcitx5 fcitx5-mozc fcitx5-frontend-qt6 \
	libcurl4-openssl-dev libssh-dev libssl-dev openssh-server openssh-client vsftpd openssl faketime \
	libsecret-1-dev gnome-keyring libkainjow-mustache-dev default-jre-headless \
	lintian man-db xdg-utils libfile-mimeinfo-perl libglib2.0-bin appstream python3-pyatspi \
	at-spi2-core

.PHONY: deps build run install package screenshots test bench format format-check clean

deps:
	@./setup.sh packages "to build and test the editor" $(PACKAGES)
	@command -v npm >/dev/null || ./setup.sh packages "to install the HTML checker of the tests" npm

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

# A Debian package of the editor in $(BUILD)/, installed with: sudo apt install ./$(BUILD)/orvanix_*.deb
package: build
	cd $(BUILD) && cpack -G DEB

# The window's three pages at 100% and 200%, as PNG files in $(BUILD)/screenshots.
screenshots: build
	tests/app/window_screenshots.sh $(BUILD) $(BUILD)/screenshots

test: format-check build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The benchmarks, then the editor against a plain Qt form and xmllint (bench/side_by_side.sh).
bench: build
	@for b in $(BUILD)/bin/bench_*; do $$b; done
	@bench/side_by_side.sh $(BUILD)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer in its own folder.
.PHONY: test-sanitize fuzz
SANITIZE_BUILD ?= build-sanitize
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DORVANIX_WERROR=ON -DORVANIX_SANITIZE=ON \
		-DORVANIX_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (fuzz/), built with clang in their own folder; each runs FUZZ_SECONDS.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 180

fuzz: deps
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang: apt-get install clang"; exit 1; }
	CXX=clang++ cmake -S fuzz -B $(FUZZ_BUILD)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

SOURCES = git ls-files '*.cpp' '*.h'

format:
	$(SOURCES) | xargs clang-format -i

# Fails on any tracked source that `make format` would change.
format-check: deps
	$(SOURCES) | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD)
