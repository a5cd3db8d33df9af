# Velant NFe: top-level entry points.
#   make demo   build the three executables only (in $(BUILD_DEMO)) and run the demonstration
#   make test   build and run every test, then again under ASan/UBSan (all but
#               the storm and the SIGKILL matrices, label "demorado")
#   make install     the executables, data files and systemd unit (PREFIX, DESTDIR)
#   make pacote      the Debian package, in $(BUILD)
#   make cobertura   line and branch coverage of src/ by every test, in $(BUILD_COBERTURA)/cobertura/
JOBS ?= $(shell nproc)
BUILD ?= build
BUILD_SAN ?= build-san
BUILD_FUZZ ?= build-fuzz
BUILD_DEMO ?= build-demo
BUILD_COBERTURA ?= build-cobertura
FUZZ_RUNS ?= 20000
CMAKE_FLAGS ?=
# What the demonstration runs and what is installed.
EXECUTAVEIS = velantnfe velantnfe-ac velantnfe-autoridade
PREFIX ?=

.PHONY: all deps configure build executaveis test test-rapido test-san test-fuzz demo bench install pacote cobertura clean

all: build

deps:
	@scripts/instalar-dependencias

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELANT_WERROR=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)
	@scripts/preparar-certificados $(BUILD)

test-rapido: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

test-san: deps
	@cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELANT_WERROR=ON -DVELANT_SANITIZE=ON -DVELANT_QT=OFF -DVELANT_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_SAN) -j $(JOBS)
	@scripts/preparar-certificados $(BUILD_SAN)
	@cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) --timeout 900 -LE demorado

# The request parser under libFuzzer (clang) for a fixed number of inputs.
# State is kept across inputs as the Host keeps it, so leaks are left to test-san.
test-fuzz: deps
	@CC=clang CXX=clang++ cmake -S fuzz -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD_FUZZ) -j $(JOBS)
	@mkdir -p $(BUILD_FUZZ)/corpus-analisador
	@$(BUILD_FUZZ)/fuzz_analisador -runs=$(FUZZ_RUNS) -seed=1 -max_len=4096 -detect_leaks=0 \
	  -dict=fuzz/analisador.dict -print_final_stats=1 $(BUILD_FUZZ)/corpus-analisador fuzz/corpus/analisador

test: test-fuzz test-rapido test-san

executaveis: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(EXECUTAVEIS)

# The demonstration's own build: the three executables without optimisation,
# debug information, tests, benchmarks or the window, so that a fresh clone
# shows the Host at work in a fraction of the time of a full build.
demo: deps
	@cmake -S . -B $(BUILD_DEMO) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0 -DCMAKE_C_FLAGS_DEBUG=-O0 \
	  -DVELANT_WERROR=ON -DVELANT_TESTS=OFF -DVELANT_BENCH=OFF -DVELANT_QT=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DEMO) -j $(JOBS) --target $(EXECUTAVEIS)
	@scripts/demo $(BUILD_DEMO)

# Coverage of src/ by the unit and end-to-end tests (gcov through gcovr):
# an HTML report and a one-line summary.
cobertura: deps
	@cmake -S . -B $(BUILD_COBERTURA) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" \
	  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DVELANT_QT=OFF -DVELANT_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_COBERTURA) -j $(JOBS)
	@scripts/preparar-certificados $(BUILD_COBERTURA)
	@find $(BUILD_COBERTURA) -name '*.gcda' -delete
	@cd $(BUILD_COBERTURA) && ctest -j $(JOBS) --timeout 900 >ctest.log 2>&1 || { tail -30 ctest.log; true; }
	@mkdir -p $(BUILD_COBERTURA)/cobertura
	@gcovr -r . --object-directory $(BUILD_COBERTURA) --filter 'src/' --exclude 'src/ui/qt/' -j $(JOBS) \
	  --gcov-ignore-parse-errors --html-details $(BUILD_COBERTURA)/cobertura/index.html --print-summary \
	  | grep -E '^(lines|branches):' | paste -sd' ' | sed 's/^/cobertura: /'
	@echo "relatório: $(BUILD_COBERTURA)/cobertura/index.html"

install: executaveis
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)")

pacote: executaveis
	@cd $(BUILD) && cpack -G DEB

bench: build
	@scripts/bench $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_FUZZ) $(BUILD_DEMO) $(BUILD_COBERTURA) build-mutacao
