# Thin front door; the scripts do the work.
.PHONY: check build clean

# Installs what is missing, builds, and runs every test (also under the
# sanitizers).
check:
	scripts/check

build:
	scripts/install-deps
	cmake --preset default >/dev/null
	cmake --build --preset default

clean:
	rm -rf build
