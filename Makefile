# Entry points for users and CI.  Every target first makes sure the Debian
# packages it needs are present, then drives CMake in its build folder:
# ./build for the library (Release), ./build-asan for the sanitizer build,
# ./build-fuzz for the libFuzzer targets (clang).
BUILD_DIR ?= build
BUILD_TYPE ?= Release
ASAN_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Seconds each fuzz target runs in `make fuzz`, and in the smoke runs of
# `make test`.
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 5
FUZZ_TARGETS = parental individual run compressed counts panel side_files merge plink
CLANGXX ?= clang++
# The Tcl to build for, 8.6 or 9.0 (`make test TCL_VERSION=9.0`); left
# empty, that of the system's tclsh.  Its shell runs the scripts here.
TCL_VERSION ?=
TCLSH = tclsh$(TCL_VERSION)
# What install-deps installs: the packages of building, and those of the
# groups a target names (target-specific, so its prerequisites see them too:
# everything is installed before anything is configured, and what a
# configure run found missing before is looked for again).
DEPS_GROUPS =
INSTALL_DEPS = TCL_VERSION=$(TCL_VERSION) sh scripts/install-deps
CMAKE_CONFIGURE = cmake -S . -DPARMIX_TCL_VERSION=$(TCL_VERSION)
CONFIGURE_OPTIONS =

.PHONY: all deps configure build test test-release test-sanitize test-fuzz-smoke \
        run install clean fuzz fuzz-build memcheck deb

all: build

deps:
	@$(INSTALL_DEPS) $(DEPS_GROUPS)

configure: deps
	@$(CMAKE_CONFIGURE) -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	    -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CONFIGURE_OPTIONS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# A Debian package of everything `make install` installs, under /usr, in
# $(BUILD_DIR)/package.  Its dependencies are those of the libraries the
# build links (dpkg-shlibdeps) and the Tcl it was built for.
deb: DEPS_GROUPS = deb
deb: build
	@cd $(BUILD_DIR) && cpack --config CPackConfig.cmake -B package

# Every test three times over: the release build; the library and every
# test built with ASan+LSan+UBSan (any report fails); the fuzz targets on
# their kept inputs and a short fuzzing run each.  The release build also
# compiles the benchmark programs (never run here), so they keep building.
test:
	@$(MAKE) --no-print-directory test-release
	@$(MAKE) --no-print-directory test-sanitize
	@$(MAKE) --no-print-directory test-fuzz-smoke

test-release: DEPS_GROUPS = test
test-release: CONFIGURE_OPTIONS = -DPARMIX_BENCH=ON
test-release: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

test-sanitize:
	@$(INSTALL_DEPS) test
	@$(CMAKE_CONFIGURE) -B $(ASAN_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DPARMIX_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	@cd $(ASAN_BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

fuzz-build:
	@$(INSTALL_DEPS) fuzz
	@$(CMAKE_CONFIGURE) -B $(FUZZ_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_COMPILER=$(CLANGXX) -DPARMIX_FUZZ=ON \
	    -DPARMIX_FUZZ_SMOKE_SECONDS=$(FUZZ_SMOKE_SECONDS) >/dev/null
	@cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS)

test-fuzz-smoke: fuzz-build
	@cd $(FUZZ_BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Each target for FUZZ_SECONDS from tests/fuzz/corpus (and the inputs found
# by earlier runs, kept in $(FUZZ_BUILD_DIR)/fuzz-long); fails on a finding.
fuzz: fuzz-build
	@status=0; for t in $(FUZZ_TARGETS); do \
	    sh tests/fuzz/run-fuzzer.sh $(FUZZ_BUILD_DIR)/fuzz_$$t $$t $(FUZZ_SECONDS) \
	        $(FUZZ_BUILD_DIR)/fuzz-long/$$t || status=1; \
	done; exit $$status

# The Tcl-level suite under valgrind memcheck, with the release build.
memcheck: DEPS_GROUPS = memcheck
memcheck: build
	@TCLSH=$(TCLSH) sh scripts/memcheck $(BUILD_DIR)

# Only what the example needs: the package (the library and its scripts,
# with the program beside it); `make test` builds the rest.
run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target parmix
	@$(TCLSH) scripts/run-example.tcl $(BUILD_DIR)

# The example figures of the README: the program of the build folder plots
# an analysis of the bundled example data into docs/example_plot.svg and
# its joint analysis into docs/example_triangle.svg, and rsvg-convert makes
# the PNGs beside them.
.PHONY: docs
docs: DEPS_GROUPS = docs
docs: build
	@mkdir -p docs
	@$(BUILD_DIR)/parmix -o $(BUILD_DIR)/example_report.txt --plot docs/example_plot.svg \
	    examples/parental.txt examples/individuals.txt
	@rsvg-convert docs/example_plot.svg -o docs/example_plot.png
	@$(BUILD_DIR)/parmix --ancestry -o $(BUILD_DIR)/example_ancestry.txt \
	    --triangle docs/example_triangle.svg examples/parental.txt examples/individuals.txt
	@rsvg-convert docs/example_triangle.svg -o docs/example_triangle.png

# The picture of parmix-gui in docs/gui.png: the window of the build folder
# after a run of the bundled example data, on a virtual display.
.PHONY: gui-docs
gui-docs: DEPS_GROUPS = gui-docs
gui-docs: build
	@mkdir -p docs
	@xvfb-run -a -s "-screen 0 1280x800x24" $(TCLSH) scripts/gui-screenshot.tcl \
	    $(BUILD_DIR) $(BUILD_DIR)/example_report.txt docs/gui.png

# The figures of docs/validation.md: every validation scenario of the test
# suite (same seeds), plus a larger run of each, with the library and the
# simulator of the build folder; the tables go into docs/validation.md, the
# plot into docs/validation.svg and, by rsvg-convert, docs/validation.png.
# Not part of `make test`, which checks the same scenarios.
.PHONY: validation-docs
validation-docs: DEPS_GROUPS = docs
validation-docs: build
	@$(TCLSH) scripts/validation-docs.tcl $(BUILD_DIR)
	@rsvg-convert docs/validation.svg -o docs/validation.png

# The calibration, coverage and power tables of docs/clines.md, from panels
# simulated with known clines by the simulator of the build folder, and its
# figures: the cline plots and the genotype images.  Not part of `make
# test`, which checks the coverage on one smaller panel.
.PHONY: clines-docs
clines-docs: build clines-figures clines-images
	@tclsh scripts/clines-docs.tcl $(BUILD_DIR)

# The genotype images of docs/clines.md: the example data's (SVG and PNG),
# and two simulated panels' (PNG): 80 loci with some steep clines, and 3,000
# loci of 1,200 individuals, drawn in bins.
.PHONY: clines-images
clines-images: DEPS_GROUPS = docs
clines-images: build
	@mkdir -p docs
	@$(BUILD_DIR)/parmix --clines --quiet -o $(BUILD_DIR)/example_image_clines.txt \
	    --image docs/clines_image.svg examples/parental.txt examples/individuals.txt
	@rsvg-convert docs/clines_image.svg -o docs/clines_image.png
	@for panel in "steep 150 80 strong 0.15 8 21" "binned 1200 3000 mixed 0.1 4 22"; do \
	    set -- $$panel; \
	    out=$(BUILD_DIR)/clines-image-$$1; \
	    $(BUILD_DIR)/parmix-sim --individuals $$2 --loci $$3 --mix uniform=1 \
	        --differentiation $$4 --cline-share $$5 --cline-v $$6 --missing-share 0.02 \
	        --seed $$7 --prefix $$out > /dev/null && \
	    $(BUILD_DIR)/parmix --clines --quiet -o $$out.txt --image $$out.svg \
	        $$out.parental.txt $$out.individuals.txt && \
	    rsvg-convert $$out.svg -o docs/clines_image_$$1.png || exit 1; \
	done

# The cline plots of docs/clines.md and the README, by the program of the
# build folder: the bundled example data; a simulated panel of 200 loci,
# 15% of them on clines of their own; and one of 5,000 loci, where the
# figure draws a sample of the neutral loci (its SVG, over a megabyte,
# stays in the build folder).  rsvg-convert makes the PNGs.
CLINES_SIM = --differentiation strong --mix uniform=1 --cline-v 0.3:5 \
	--cline-centre 0.25:0.75
.PHONY: clines-figures
clines-figures: DEPS_GROUPS = docs
clines-figures: build
	@mkdir -p docs
	@$(BUILD_DIR)/parmix --clines --quiet -o $(BUILD_DIR)/example_clines.txt \
	    --cline-plot docs/clines_example.svg examples/parental.txt examples/individuals.txt
	@rsvg-convert docs/clines_example.svg -o docs/clines_example.png
	@$(BUILD_DIR)/parmix-sim --individuals 300 --loci 200 --cline-share 0.15 $(CLINES_SIM) \
	    --seed 21 --prefix $(BUILD_DIR)/clines_panel
	@$(BUILD_DIR)/parmix --clines --quiet -o $(BUILD_DIR)/clines_panel.report.txt \
	    --cline-plot docs/clines_simulated.svg \
	    $(BUILD_DIR)/clines_panel.parental.txt $(BUILD_DIR)/clines_panel.individuals.txt
	@rsvg-convert docs/clines_simulated.svg -o docs/clines_simulated.png
	@$(BUILD_DIR)/parmix-sim --individuals 200 --loci 5000 --cline-share 0.05 $(CLINES_SIM) \
	    --seed 22 --prefix $(BUILD_DIR)/clines_genome
	@$(BUILD_DIR)/parmix --clines --quiet -o $(BUILD_DIR)/clines_genome.report.txt \
	    --cline-plot $(BUILD_DIR)/clines_genome.svg \
	    $(BUILD_DIR)/clines_genome.parental.txt $(BUILD_DIR)/clines_genome.individuals.txt
	@rsvg-convert $(BUILD_DIR)/clines_genome.svg -o docs/clines_genome.png

# The benchmark against the baseline commit of bench/BASELINE (built under
# $(BENCH_BUILD_DIR)): three simulated tiers, both builds alternating, the
# floors, and the table in docs/performance.md.  Takes several minutes (the
# baseline's run of the largest tier alone takes minutes); never part of
# `make test`.
BENCH_BUILD_DIR ?= build-bench
.PHONY: bench
bench:
	@$(INSTALL_DEPS) bench
	@$(CMAKE_CONFIGURE) -B $(BENCH_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DPARMIX_BENCH=ON \
	    -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(BENCH_BUILD_DIR) -j $(JOBS)
	@$(TCLSH) bench/run-bench.tcl $(BENCH_BUILD_DIR)

# The genome-scale benchmark through the parmix program, with peak memory
# and the time of reading and of studying (bench/run-bench-genome.sh): by
# default 10^9 study genotypes from a bgzipped VCF; TIER=10e10 takes 10^10
# from PLINK files (2.5 GB of .bed), TIER=10e8 a hundredth of that.  The
# simulated panels are kept in $(BUILD_DIR)/bench-genome.  CLINES=1 fits
# every locus's genomic cline too (--clines).  Never part of `make test`.
TIER ?= 10e9
CLINES ?= 0
.PHONY: bench-genome
bench-genome: DEPS_GROUPS = bench
bench-genome: build
	@BENCH_GENOME_TIER=$(TIER) BENCH_GENOME_CLINES=$(CLINES) sh bench/run-bench-genome.sh $(BUILD_DIR)

# The cost of each correction for sequencing data and small reference
# samples on the M tier through the VCF path (bench/run-bench-corrections.tcl).
.PHONY: bench-corrections
bench-corrections: build
	@$(TCLSH) bench/run-bench-corrections.tcl $(BUILD_DIR)

# The genomic clines against the hybrid index on the M tier, one thread
# each (bench/run-bench-clines.tcl); the figures go to docs/clines.md by
# hand.  Never part of `make test`.
.PHONY: bench-clines
bench-clines: build
	@$(TCLSH) bench/run-bench-clines.tcl $(BUILD_DIR)

install: build
	@cmake --install $(BUILD_DIR)

clean:
	@rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(FUZZ_BUILD_DIR) $(BENCH_BUILD_DIR)
