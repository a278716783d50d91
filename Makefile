# Entry points for a fresh machine: `make demo` and `make test`.
FUZZ_SECONDS ?= 60
ZEPHALON_RELEASE := build/release/src/cli/zephalon

.PHONY: deps demo test ts-check site-check java-check bench bench-server fuzz lint clean

deps:
	scripts/install-deps

demo: deps
	cmake --preset release
	cmake --build --preset release --target zephalon
	scripts/demo $(ZEPHALON_RELEASE)

ZEPHALON_ASAN := build/asan/src/cli/zephalon

test: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan
	ctest --preset asan-reuse
	@if command -v npm >/dev/null; then scripts/ts-check $(ZEPHALON_ASAN); else echo "ts-check skipped: npm is not installed"; fi
	@if command -v npm >/dev/null; then scripts/site-check $(ZEPHALON_ASAN); else echo "site-check skipped: npm is not installed"; fi
	@if command -v javac >/dev/null; then scripts/java-check $(ZEPHALON_ASAN); else echo "java-check skipped: javac is not installed"; fi

# Generated TypeScript type-checks (needs npm and, the first time, the npm registry).
ts-check: deps
	cmake --preset asan
	cmake --build --preset asan --target zephalon
	scripts/ts-check $(ZEPHALON_ASAN)

# Generated documentation sites build and render (needs npm, chromium and, the first time, the npm registry).
site-check: deps
	cmake --preset asan
	cmake --build --preset asan --target zephalon
	scripts/site-check $(ZEPHALON_ASAN)

# The generated Spring servers compile (javac and Debian's Spring jars, from scripts/install-deps).
java-check: deps
	cmake --preset asan
	cmake --build --preset asan --target zephalon
	scripts/java-check $(ZEPHALON_ASAN)

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	scripts/bench build/bench

bench-server: deps
	cmake --preset release
	cmake --build --preset release --target zephalon
	scripts/bench-server $(ZEPHALON_RELEASE)

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/fuzz build/fuzz $(FUZZ_SECONDS)

lint: deps
	cmake --preset debug
	scripts/lint build/debug

clean:
	rm -rf build
