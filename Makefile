# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Entry points: `make run` and `make test` do every set-up step a fresh Debian machine needs;
# `make help` lists the rest. The Debian packages are built from debian/ by sbuild, each in a
# clean root of its release (12 and 13) for amd64 and, cross-built, the Raspberry Pi's arm64 and
# armhf; only the package targets know a release.
BUILD_DIR   ?= build
BUILD_TYPE  ?= RelWithDebInfo
# CI builds with warnings as errors; a developer may set WERROR=ON locally too.
WERROR      ?= $(if $(CI),ON,OFF)
JOBS        ?= $(shell nproc)
# The suite under sanitizers, and the fuzz targets (clang).
ASAN_DIR    ?= build-asan
FUZZ_DIR    ?= build-fuzz
FUZZ_SECONDS ?= 60
# The Windows build: cross-compiled with Debian 13's mingw-w64 against a Qt built once from
# Debian 13's own source (cached outside the tree), tested under Debian 13's Wine, packed as a zip
# and an installer, all inside a Debian 13 root of its own (scripts/windows/in-root.sh).
WIN_DIR     ?= build-win
# The Debian source packages and every release's and architecture's binary packages.
DEB_DIR     ?= build-deb
RELEASES    ?= 12 13
ARCHES      ?= $(BUILD_ARCH) arm64 armhf
# The release whose Raspberry Pi builds run the suite under qemu-user.
PI_SUITE_RELEASE ?= 13
# RELEASE-ARCH packages built without the suite, where it has just run on the same system.
SUITE_RAN_ON ?=
DIST_DIR    ?= dist
# Tools stamp their output with this time instead of the clock, so two builds of one commit
# give the same bytes.
export SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
FUZZ_TARGETS := fuzz_str_to_int fuzz_srcp_lines
BUILD_ARCH  := $(shell dpkg --print-architecture 2>/dev/null)
# Release by release within each architecture, so that `make -j2` makes both releases' build roots
# at once.
BUILT_PACKAGES = $(foreach a,$(ARCHES),$(foreach r,$(RELEASES),$(DEB_DIR)/$(r)-$(a)/built))

# `make run` and the plain suite need what debian/control's Build-Depends name (CMake, Qt, the
# font the layout is measured in): apt-get build-dep installs them, after the compiler and
# dpkg-dev, which checks them. Everything else serves the other targets: clang for the fuzzers,
# sanitizers and the tools, Xvfb and AT-SPI for the screen-reader rows, nftables to drop a
# vanished server's packets in the dead-link test's own network namespace.
RUN_PACKAGES := g++ make dpkg-dev
PACKAGES    := clang clang-format clang-tidy libclang-rt-dev \
               xvfb xauth dbus at-spi2-core qt6-qpa-plugins xdotool x11-utils nftables
# sbuild in unshare mode builds as a normal user; qemu-user runs the Raspberry Pi suites.
DEB_PACKAGES := sbuild mmdebstrap uidmap dpkg-dev devscripts qemu-user-static
# mmdebstrap makes the arm64 test root only once arch-test has found that qemu-user runs it.
CHECK_PACKAGES := lintian autopkgtest piuparts qemu-user-static arch-test
# The Windows build's root: mmdebstrap makes it (uidmap lets a normal user), zstd packs it.
WIN_PACKAGES := mmdebstrap uidmap zstd
IN_WIN_ROOT := $(CURDIR)/scripts/windows/in-root.sh
SUDO        := $(if $(filter 0,$(shell id -u)),,sudo)
SOURCES      = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)
# clang-tidy reads the program's own code; tests and benchmarks are mostly Qt Test macros.
LINT_SOURCES = $(shell git ls-files 'app/*.cpp' 'link/*.cpp' 'commands/*.cpp' 'Nano_pause3/*.cpp' 'loopback_server/*.cpp' 2>/dev/null)
# Every shell script: by its name, or by its first line where it has no .sh (.ci/run, the autopkgtests).
SHELL_SCRIPTS = $(sort $(shell git ls-files '*.sh' 2>/dev/null) \
                  $(shell git grep -nI -E '^#!(/usr)?/bin/(env )?(ba|da)?sh' 2>/dev/null | awk -F: '$$2 == 1 { print $$1 }'))

.PHONY: all help run-deps deps build run test sanitize fuzz format format-check lint shellcheck \
        reuse clean deb-deps source-package packages package-check check-deps lintian piuparts \
        windows-deps windows windows-test release FORCE

all: build

help: ## this list
	@awk -F':.*## ' '/^[a-z0-9-]+:.*## / { printf "  make %-16s %s\n", $$1, $$2 }' $(MAKEFILE_LIST)

# Installs only what is missing, so a prepared machine starts at once.
# $(call install-missing,PACKAGES)
define install-missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

# Configures a folder when it is new or its options changed, so `WERROR=ON make test` reaches
# a folder an earlier run configured without.
# $(call configure,DIR,CMAKE-OPTIONS)
define configure
	@options='-G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKOLVO_WERROR=$(WERROR) $(2)'; \
	if [ ! -f $(1)/build.ninja ] || [ "$$(cat $(1)/kolvo-options 2>/dev/null)" != "$$options" ]; then \
	  echo "cmake -S . -B $(1) $$options"; cmake -S . -B $(1) $$options && echo "$$options" >$(1)/kolvo-options; \
	fi
endef

run-deps:
	$(call install-missing,$(RUN_PACKAGES))
	@dpkg-checkbuilddeps 2>/dev/null || { echo "Installing the build dependencies"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get build-dep -y -qq --no-install-recommends ./; }

deps: run-deps
	$(call install-missing,$(PACKAGES))

build: deps ## build the programs, the suite and the benchmarks in build/
	$(call configure,$(BUILD_DIR))
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: run-deps ## build and start the window, with a loopback server if none runs
	$(call configure,$(BUILD_DIR))
	cmake --build $(BUILD_DIR) -j $(JOBS) --target kolvo-testclient kolvo-loopback-server
	scripts/run-with-server.sh $(BUILD_DIR)/bin

# The accessibility rows that need a screen-reader bus run once more on Xvfb with AT-SPI.
test: build ## every test: the suite, its screen-reader rows on Xvfb, sanitizers, fuzzers
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 120
	timeout --kill-after=10 300 scripts/run-accessibility-tests.sh $(BUILD_DIR)
	$(MAKE) --no-print-directory sanitize
	$(MAKE) --no-print-directory fuzz

# Any report fails its test: UBSan does not recover, ASan stops at the first error, and a leak
# makes the exit code non-zero.
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1 \
                 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

sanitize: deps ## the suite under AddressSanitizer and UBSan in build-asan/
	$(call configure,$(ASAN_DIR),-DKOLVO_SANITIZE=ON -DKOLVO_BUILD_BENCH=OFF)
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen $(SANITIZER_ENV) \
	    ctest --output-on-failure -j $(JOBS) --timeout 300

fuzz: deps ## the fuzz targets, each for FUZZ_SECONDS, in build-fuzz/
	$(call configure,$(FUZZ_DIR),-DCMAKE_CXX_COMPILER=clang++ -DKOLVO_FUZZ=ON)
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target $(FUZZ_TARGETS)
	scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

deb-deps:
	$(call install-missing,$(DEB_PACKAGES))

# The committed tree's source packages; a new commit makes them anew.
$(DEB_DIR)/commit: FORCE
	@mkdir -p $(@D); git rev-parse HEAD | cmp -s - $@ || git rev-parse HEAD >$@

$(DEB_DIR)/source/built: $(DEB_DIR)/commit | deb-deps
	rm -rf $(DEB_DIR)/source
	scripts/debian/source-package.sh $(DEB_DIR)/source
	touch $@

source-package: $(DEB_DIR)/source/built ## the Debian source packages of the commit, in build-deb/source/

# One release's package for one architecture, from the source package, in the clean root that
# the release's builds for every architecture in ARCHES share: native for amd64 with the suite,
# cross-built for the Pi with the suite under qemu-user, which the build names as its emulator,
# on PI_SUITE_RELEASE; warnings are errors where WERROR is.
$(DEB_DIR)/%/built: $(DEB_DIR)/source/built
	rm -rf $(@D)
	$(if $(filter ON,$(WERROR)),DEB_BUILD_PROFILES=pkg.kolvo-testclient.werror) \
	$(if $(filter $(PI_SUITE_RELEASE)-arm%,$*),DEB_BUILD_OPTIONS="parallel=$(JOBS) crossbuildcanrunhostbinaries") \
	$(if $(filter $*,$(SUITE_RAN_ON)),DEB_BUILD_OPTIONS="parallel=$(JOBS) nocheck") \
	    ROOT_ARCHES="$(ARCHES)" scripts/debian/build.sh $(DEB_DIR)/source $(@D) $(subst -, ,$*)
	touch $@

packages: $(BUILT_PACKAGES) ## every release's and architecture's package, in build-deb/RELEASE-ARCH/

# Debian's own checks: lintian over every package, autopkgtest of the installed programs for
# each release's amd64 package and one Pi package under qemu-user, piuparts' install, purge and
# the upgrade from 12 to 13. Each is a target of its own, so `make -j2` runs them side by side.
# piuparts and the emulator's registration need root.
AUTOPKGTESTS := $(foreach r,$(RELEASES),$(r)-$(BUILD_ARCH)) $(PI_SUITE_RELEASE)-arm64
package-check: lintian $(addprefix autopkgtest-,$(AUTOPKGTESTS)) piuparts ## lintian, autopkgtest and piuparts over the packages

check-deps: deb-deps
	$(call install-missing,$(CHECK_PACKAGES))

lintian: packages check-deps
	scripts/debian/lint.sh $(DEB_DIR)

autopkgtest-%: packages check-deps
	$(if $(filter-out $(BUILD_ARCH),$(lastword $(subst -, ,$*))),$(SUDO) scripts/debian/binfmt.sh $(lastword $(subst -, ,$*)))
	scripts/debian/autopkgtest.sh $(DEB_DIR) $(subst -, ,$*)

piuparts: packages check-deps
	scripts/debian/piuparts.sh $(DEB_DIR)

windows-deps:
	$(call install-missing,$(WIN_PACKAGES))

# Qt for Windows is built once into the cache; configure.sh configures the folder against it.
windows: windows-deps ## the Windows zip and installer, cross-built in build-win/
	$(IN_WIN_ROOT) env WERROR=$(WERROR) scripts/windows/configure.sh $(WIN_DIR)
	$(IN_WIN_ROOT) cmake --build $(WIN_DIR) -j $(JOBS)
	cd $(WIN_DIR) && $(IN_WIN_ROOT) cpack

# The installer check times the pulse with the Linux loopback server, hence the Linux build. The
# log names the Wine and the Windows it reports first.
windows-test: windows build ## the Windows suite and installer under Wine
	$(IN_WIN_ROOT) scripts/windows/wine-run.sh --describe
	cd $(WIN_DIR) && QT_QPA_PLATFORM=offscreen $(IN_WIN_ROOT) ctest --output-on-failure -j $(JOBS) --timeout 300
	$(IN_WIN_ROOT) packaging/checks/installer-check.sh $(WIN_DIR) $(BUILD_DIR)/bin

release: packages windows ## every download of the commit in dist/, with SHA256SUMS
	scripts/release.sh $(DIST_DIR) $(WIN_DIR) $(DEB_DIR)

format: deps ## format the code with clang-format
	clang-format -i $(SOURCES)

format-check: deps ## fail where clang-format would change the code
	clang-format --dry-run --Werror $(SOURCES)

# clang-tidy over every shipped source, $(JOBS) files at a time. Its count of the warnings it
# suppressed in Qt's headers is left out; findings and failures still show and fail the rule.
lint: build shellcheck ## clang-tidy over the sources, shellcheck over the scripts
	@echo "clang-tidy: $(words $(LINT_SOURCES)) files"
	@stderr=$$(mktemp); \
	printf '%s\n' $(LINT_SOURCES) | xargs -P $(JOBS) -n 4 clang-tidy -p $(BUILD_DIR) --quiet 2>"$$stderr"; \
	status=$$?; grep -v '^[0-9]* warnings\? generated\.$$' "$$stderr" >&2; rm -f "$$stderr"; exit $$status

shellcheck: ## shellcheck over every shell script
	$(call install-missing,shellcheck)
	shellcheck $(SHELL_SCRIPTS)

# Every file states its licence and copyright, in a header or in .reuse/dep5; reuse lint checks it.
reuse: ## check every file's licence and copyright
	$(call install-missing,reuse)
	reuse lint

clean: ## remove every build folder and dist/
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(WIN_DIR) $(DEB_DIR) $(DIST_DIR)
