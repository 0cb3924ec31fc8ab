# make run   builds the suite and starts it under Wine with the virtual mouse
# make test  builds everything and runs every test, native and under Wine
# make dist  the complete install directory at dist/
# make installer  "KARVO Gaming Mouse Setup.exe" from dist/, in $(BUILD)/installer/
# make gallery    every skinned window in every state as PNG files, in $(BUILD)/gallery/
BUILD   ?= build
NATIVE  := $(BUILD)/native
WIN     := $(BUILD)/win
DIST    ?= dist
JOBS    ?= $(shell nproc)
GEN     := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)

export KARVO_BUILD_ROOT := $(abspath $(BUILD))

.PHONY: all deps native win test test-native test-win dist installer run bench clean art art-files \
        gallery

all: native win

deps:
	@bash tools/install-deps.sh

native: deps
	@cmake -S . -B $(NATIVE) $(GEN) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# The configurator's artwork is drawn by a native program before the Windows build.
art-files: deps
	@cmake -S . -B $(NATIVE) $(GEN) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(NATIVE) --target skin_art -j $(JOBS)

# The same artwork with PNG previews of every image, for people to look at.
art: art-files
	@cmake --build $(NATIVE) --target skin_art_preview -j $(JOBS)
	@echo "art: previews in $(NATIVE)/art-preview/"

win: deps art-files
	@cmake -S . -B $(WIN) $(GEN) -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKARVO_ART_DIR=$(abspath $(NATIVE))/art >/dev/null
	@cmake --build $(WIN) -j $(JOBS)

test-native: native
	@rm -f $(NATIVE)/test-results/*.xml
	@ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS)

test-win: win dist installer
	@rm -f $(WIN)/test-results/*.xml
	@KARVO_DIST=$(abspath $(DIST)) tools/with-wine.sh ctest --test-dir $(WIN) --output-on-failure -j $(JOBS)

test: deps
	@rc=0; \
	$(MAKE) --no-print-directory test-native || rc=1; \
	$(MAKE) --no-print-directory test-win || rc=1; \
	tools/test-summary.sh $(NATIVE) $(WIN); \
	exit $$rc

dist: win
	@rm -rf $(DIST)
	@cmake --install $(WIN) --prefix $(abspath $(DIST)) >/dev/null
	@echo "dist: $(DIST)/ is the install directory"

installer: dist
	@installer/build.sh $(abspath $(DIST)) $(abspath $(BUILD))/installer

# The running suite keeps a prefix of its own: its named objects and its virtual mouse would
# otherwise answer the tests of a later `make test`.
run: dist
	@WINEPREFIX=$(abspath $(BUILD))/run-wineprefix tools/with-wine.sh --keep tools/run-suite.sh $(abspath $(DIST))

gallery: dist
	@tools/gallery.sh $(WIN) $(BUILD)/gallery $(DIST)

bench: native win dist installer
	@tools/run-benchmarks.sh $(NATIVE) $(WIN)
	@installer/bench.sh $(abspath $(DIST)) $(abspath $(BUILD))/installer

clean:
	rm -rf $(BUILD) $(DIST)
