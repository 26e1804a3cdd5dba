# Two entry points: `make run` (builds the program alone) and `make test` (builds and runs everything).
# Both install missing Debian packages first (as root).
PACKAGES := qt6-base-dev libjpeg-dev libgtest-dev libgmock-dev libbenchmark-dev cmake g++ make ninja-build lld fonts-dejavu-core fonts-liberation libfontconfig-dev poppler-utils qt6-translations-l10n
BUILD    ?= build
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test build program configure deps clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = "0" ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	  else \
	    echo "Missing Debian packages:$$missing (run as root or install them)"; exit 1; \
	  fi; \
	fi

# A new build folder uses Ninja (it builds the units of a layer while the layers below it still
# link); one made earlier keeps its generator.
configure: deps
	cmake -S . -B $(BUILD) $(if $(wildcard $(BUILD)/CMakeCache.txt),,-G Ninja) -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Everything: the program, the tests and the benchmarks.
build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program alone.
program: configure
	cmake --build $(BUILD) --target pendrix -j $(JOBS)

run: program
	$(BUILD)/pendrix

test: build
	@echo "== Benchmarks (figures only, not a pass/fail gate) =="
	-./$(BUILD)/bench_pendrix --benchmark_min_time=0.05
	-QT_QPA_PLATFORM=offscreen timeout 120 ./$(BUILD)/bench_gui
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

clean:
	rm -rf $(BUILD)
