# Thin front door; the scripts do the work.
.PHONY: run check build bench screenshot clean

# Installs what is missing, builds, and starts Zentory on the demo domain.
run:
	scripts/run

# Installs what is missing, builds, and runs every test (also under the
# sanitizers).
check:
	scripts/check

# Builds and runs the benchmarks of bench/; writes bench/RESULTS.md.
bench:
	scripts/bench

build:
	scripts/install-deps
	cmake --preset default >/dev/null
	cmake --build --preset default

# The README's picture of the main window, made under Xvfb.
screenshot:
	scripts/screenshot

clean:
	rm -rf build
