# Two commands for a fresh Debian machine:
#   make run    installs what is missing, builds and starts Cadenzo
#   make test   installs what is missing, builds and runs every test
.PHONY: run test deps build install uninstall bench startup clean format format-check fuzz fuzz-build

JOBS ?= $(shell nproc)
CMAKE_GEN = -G Ninja

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCADENZO_TESTS=OFF
	cmake --build build -j $(JOBS) --target cadenzo cadenzo-cli

# Started from the checkout, so Help finds manual/Cadenzo.html and the settings and backup chords
# live beside it.
run: build
	./build/src/app/cadenzo

# Installs the programs, desktop entry, icons, file types, metainfo, manual pages and the user's
# guide under PREFIX; DESTDIR stages them for a package.
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

# Removes every file the last `make install` put in place, by the list cmake kept of them, and
# tells the desktop's caches, as the install did.
uninstall:
	@test -f build/install_manifest.txt || { echo "Nothing was installed from build/."; exit 1; }
	xargs -d '\n' rm -f -- <build/install_manifest.txt
	share=$$(sed -n 's|/applications/org.cadenzo.Cadenzo.desktop$$||p' build/install_manifest.txt); \
	if [ -z "$(DESTDIR)" ] && [ -n "$$share" ]; then \
	    ! command -v update-mime-database >/dev/null || update-mime-database "$$share/mime"; \
	    ! command -v update-desktop-database >/dev/null || update-desktop-database -q "$$share/applications"; \
	    ! command -v gtk-update-icon-cache >/dev/null || gtk-update-icon-cache -q -t -f "$$share/icons/hicolor"; \
	fi
	rm build/install_manifest.txt

# The test run has three build trees:
#  build-test  everything, with AddressSanitizer and UndefinedBehaviorSanitizer, warnings fatal
#  build-tsan  the core and its engine tests with ThreadSanitizer
#  build-fuzz  the file readers' fuzz targets, built with clang and libFuzzer, each a fixed number
#              of runs from a fixed seed so that a failure repeats (`make fuzz` searches longer)
test: deps format-check fuzz-build
	cmake -S . -B build-tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DCADENZO_SANITIZE=thread \
	    -DCADENZO_WERROR=ON -DCADENZO_GUI=OFF -DCADENZO_BACKENDS=OFF -DCADENZO_CLI=OFF
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && ctest --output-on-failure -j $(JOBS) -L engine
	cd build-fuzz && ctest --output-on-failure -j $(JOBS) -L '^fuzz$$'
	cmake -S . -B build-test $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	    -DCADENZO_SANITIZE=address,undefined -DCADENZO_WERROR=ON
	cmake --build build-test -j $(JOBS)
	cd build-test && ctest --output-on-failure -j $(JOBS)

fuzz-build: deps
	cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
	    -DCMAKE_CXX_COMPILER=clang++ -DCADENZO_FUZZ=ON -DCADENZO_SANITIZE=address,undefined \
	    -DCADENZO_WERROR=ON -DCADENZO_GUI=OFF -DCADENZO_BACKENDS=OFF -DCADENZO_CLI=OFF -DCADENZO_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS)

# The fuzz targets with fresh seeds for CADENZO_FUZZ_SECONDS (600) each.
fuzz: fuzz-build
	cd build-fuzz && ctest --output-on-failure -j $(JOBS) -L '^fuzz-long$$'

bench: deps
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DCADENZO_BENCH=ON \
	    -DCADENZO_TESTS=OFF
	cmake --build build-bench -j $(JOBS)

# Start-up time of Cadenzo's window beside a bare Qt window's, in one run (Release builds).
startup: deps
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DCADENZO_BENCH=ON \
	    -DCADENZO_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target cadenzo bare_window
	bash scripts/measure-startup.sh build-bench/src/app/cadenzo build-bench/bench/bare_window 15

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails on any source file that `make format` would change.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-test build-tsan build-fuzz build-bench
