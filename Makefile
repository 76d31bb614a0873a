# Duskwhirl 2: the front door.
#   make run    install what is missing, build the game (Release) and its data, start it
#   make test   install what is missing, build everything (the tests too), generate the
#               assets, run every test but the soak (CTEST_ARGS: other ctest options)
#   make asan-test   the unit tests again under AddressSanitizer and UBSan
#   make soak   the long autopilot soak run (sanitizer build)
#   make install [PREFIX=/usr/local] [DESTDIR=]   build and install the game
#   make uninstall [PREFIX=/usr/local] [DESTDIR=] remove what install put there
#   make deb    the Debian packages (dpkg-buildpackage), left in build-deb/
#   make fuzz   build the libFuzzer targets (clang) and run each FUZZ_SECONDS from its seeds,
#               FUZZ_JOBS at a time
#   make serve  build and start the score server on http://127.0.0.1:$(SCORES_PORT)/ (build/scores.db)
#   make web    build the game for web browsers in build-web/ (Emscripten)
#   make web-serve   serve what a web site holds (build-web/www/) on
#                    http://127.0.0.1:$(WEB_PORT)/duskwhirl.html
#   make web-test    play the web build in headless Chromium and check it
#   make windows     cross-build the game for Windows in build-win/, with its zip and
#                    installer in dist/ (MinGW-w64, libraries from Debian's sources)
#   make windows-test   run the Windows build under Wine and check it
#   make dist   everything a release holds, in dist/: source tarball, debs, Windows
#               zip and installer, web zip, SHA256SUMS

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
RUN_ARGS   ?=
CTEST_ARGS ?= -LE soak
PREFIX     ?= /usr/local
DESTDIR    ?=
DEB_OUT    ?= build-deb

.PHONY: all deps configure build game run test asan-test soak fuzz clean install uninstall deb \
        web web-serve web-test serve windows windows-test dist

all: build

deps:
	@bash scripts/setup-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# Only what the game needs (the program, its data and demos), not the tests.
game: configure
	@cmake --build $(BUILD) -j$(JOBS) --target duskwhirl

run: game
	./$(BUILD)/duskwhirl $(RUN_ARGS)

# The score server with an SQLite file in the build directory; the browser
# build of build-web/www/ (make web; the site's files alone, never the build tree)
# plays the page's "watch" links when it is there.
SCORES_PORT ?= 8090
serve: build
	@echo "The score server at http://127.0.0.1:$(SCORES_PORT)/ (Ctrl+C stops)"
	./$(BUILD)/duskwhirl-scores --listen 127.0.0.1:$(SCORES_PORT) --db sqlite:$(BUILD)/scores.db \
	  --data $(BUILD)/gamedata.res $(if $(wildcard $(WEB_BUILD)/www/duskwhirl.html),--web-root $(WEB_BUILD)/www)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 900 $(CTEST_ARGS)

# The sanitizer and fuzz builds optimise at -O1 with line tables only (-g1):
# enough for the sanitizers' stack traces, half the compile time of -O2 -g.
SANITIZE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"

asan-test: deps
	@cmake -S . -B $(ASAN_BUILD) $(SANITIZE_FLAGS) -DDW_SANITIZE=ON $(CMAKE_FLAGS)
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j$(JOBS) -L unit --timeout 900

# The soak runs in the sanitizer build: a leak or a stray write ends it.
soak: deps
	@cmake -S . -B $(ASAN_BUILD) $(SANITIZE_FLAGS) -DDW_SANITIZE=ON $(CMAKE_FLAGS)
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -L soak --timeout 3600

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(DEB_OUT)

# The build is configured for PREFIX (its last place to look for the data);
# the program finds its data relative to itself first, so DESTDIR staging
# and moving the tree afterwards both work.
install: deps
	@JOBS=$(JOBS) bash scripts/install.sh "$(BUILD)" "$(PREFIX)" "$(DESTDIR)" $(CMAKE_FLAGS)

uninstall:
	@bash scripts/uninstall.sh "$(BUILD)" "$(PREFIX)" "$(DESTDIR)"

# duskwhirl and duskwhirl-data .debs with their .changes and .buildinfo in
# $(DEB_OUT)/, built from a clean copy of the tree; DEB_BUILD_OPTIONS=nocheck
# skips the tests, parallel=N sets the jobs (else JOBS).
deb: deps
	@bash scripts/build-deb.sh $(DEB_OUT) $(JOBS)

# Coverage-guided fuzzing of every loader of outside bytes (clang + libFuzzer).
# Seeds come from the shipped data of the Release build; each target runs
# FUZZ_SECONDS, FUZZ_JOBS targets at a time (default: one per core), and
# its coverage and corpus size are printed. New inputs stay
# in $(FUZZ_BUILD)/corpus/, findings in $(FUZZ_BUILD)/findings/.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= $(JOBS)
fuzz: build
	@bash scripts/setup-deps.sh --fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(SANITIZE_FLAGS) \
	  -DDW_FUZZ=ON -DDW_BUILD_TOOLS=OFF -DDW_FUZZ_DATA_DIR=$(abspath $(BUILD)) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_targets
	@bash scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_JOBS)

# The browser build: the native tools first (level compiler, assets), then the
# libraries from Debian's sources (kept in $(WEB_BUILD)/sysroot), then the game.
WEB_BUILD ?= build-web
WEB_PORT  ?= 8080
web: deps
	@bash scripts/setup-deps.sh --web
	@JOBS=$(JOBS) bash scripts/web/build.sh $(BUILD) $(WEB_BUILD)

# Only the site's files (www/, which make web fills), never the build tree.
web-serve:
	@[ -f $(WEB_BUILD)/www/duskwhirl.html ] || { echo "make web-serve: no $(WEB_BUILD)/www (make web builds it)" >&2; exit 1; }
	@echo "Duskwhirl 2 at http://127.0.0.1:$(WEB_PORT)/duskwhirl.html (Ctrl+C stops)"
	@python3 -m http.server --bind 127.0.0.1 --directory $(WEB_BUILD)/www $(WEB_PORT)

web-test:
	@bash scripts/web/test.sh $(BUILD) $(WEB_BUILD)

# The Windows build: the native tools first (level compiler, assets, icon),
# then the libraries from Debian's sources (kept in $(WIN_BUILD)/sysroot),
# then duskwhirl.exe; last the zip and the installer in $(DIST).
WIN_BUILD ?= build-win
DIST      ?= dist
windows: deps
	@bash scripts/setup-deps.sh --windows
	@JOBS=$(JOBS) WIN_CMAKE_FLAGS="$(CMAKE_FLAGS)" bash scripts/windows/build.sh $(BUILD) $(WIN_BUILD)
	@bash scripts/windows/package.sh $(WIN_BUILD) $(DIST)

windows-test:
	@bash scripts/setup-deps.sh --windows
	@JOBS=$(JOBS) bash scripts/windows/test.sh $(BUILD) $(WIN_BUILD) $(DIST)

dist: deps
	@JOBS=$(JOBS) bash scripts/dist.sh $(DIST)
