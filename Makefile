# The two commands of the project: `make demo` and `make test`. Both install what a fresh
# Debian bookworm machine lacks, configure, build and run.
PRESETS := native native32 win32 fuzz
# Seconds each fuzz target runs under `make fuzz`.
FUZZ_SECONDS := 60
export WINEPREFIX := $(CURDIR)/build/wineprefix

.PHONY: demo test bench fuzz dist deps build $(addprefix build-,$(PRESETS)) $(addprefix test-,$(PRESETS)) clean

demo: deps build-native build-win32
	mkdir -p out
	build/native/bin/gaugebench render window_toggle -o out/window_toggle.png --scale 4
	build/native/bin/gaugebench sheet -o out/resources.png
	build/native/bin/gaugebench panel -o out/panel.png
	build/native/bin/gaugebench animate docs/climb.scn -o out/climb.gif
	@echo "Windows modules: build/win32/modules/"
	@echo "Pictures:        out/window_toggle.png, out/resources.png (every resource), out/panel.png (the panel), out/climb.gif"

test: deps $(addprefix test-,$(PRESETS))

# The benchmarks and budgets: an optimised build without sanitizers (preset bench) times the
# gauges and the panel and counts instructions under callgrind; the Windows modules are
# measured as built by the win32 preset. Prints one table (docs/performance.md).
bench: deps
	cmake --preset bench
	cmake --build --preset bench
	cmake --preset win32
	cmake --build --preset win32 --target gauge_modules
	build/bench/bin/gauge_performance --win32 build/win32/modules

# Every fuzz target for FUZZ_SECONDS each (make fuzz FUZZ_SECONDS=300), growing the corpus
# kept in build/fuzz/fuzz-corpus; findings land in build/fuzz/fuzz-findings.
fuzz: build-fuzz
	bash fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

# The release package for panel builders: the Windows modules, the install guide, an example
# panel.cfg section and SHA256SUMS, checked once made.
dist: build-win32
	bash tools/dist.sh build/win32/modules dist
	bash tools/dist.sh --check dist

deps:
	@sh tools/install-deps.sh

build: $(addprefix build-,$(PRESETS))

$(addprefix build-,$(PRESETS)): build-%: deps
	cmake --preset $*
	cmake --build --preset $*

$(addprefix test-,$(PRESETS)): test-%: build-%
	@# Wine's ability to run here is probed afresh on every test run.
	@if [ $* = win32 ]; then rm -f $(WINEPREFIX).runs; fi
	ctest --preset $*

clean:
	rm -rf build out dist
