# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Entry points: `make run` and `make test` do every set-up step a fresh Debian 12 or 13 machine
# needs. The packages: one per Debian release (12 and 13) and architecture (amd64, and arm64 and
# armhf for the Raspberry Pi), each built with its release's compiler against its release's Qt;
# RELEASE chooses the release, this machine's by default (see the README's "Which package").
BUILD_DIR   ?= build
BUILD_TYPE  ?= RelWithDebInfo
# CI builds with warnings as errors; a developer may set WERROR=ON locally too.
WERROR      ?= $(if $(CI),ON,OFF)
JOBS        ?= $(shell nproc)
# Second and third build folders: the suite under sanitizers, the fuzz targets (clang), and
# the release build that CPack packs.
ASAN_DIR    ?= build-asan
FUZZ_DIR    ?= build-fuzz
PKG_DIR     ?= build-pkg
# The Windows build: cross-compiled with mingw-w64 against a Qt built once from Debian's own
# source (cached outside the tree), tested under Wine, packed as a zip and an installer.
WIN_DIR     ?= build-win
# The Raspberry Pi builds, cross-compiled against Debian's own Qt of each architecture; uidmap
# lets mmdebstrap unpack that Qt as a normal user.
PI_ARCHES   := arm64 armhf
PI_PACKAGES := cmake ninja-build make qt6-base-dev qt6-base-dev-tools dpkg-dev file \
               mmdebstrap uidmap qemu-user-static g++-aarch64-linux-gnu g++-arm-linux-gnueabihf
# Where released downloads are collected, with their checksums.
DIST_DIR    ?= dist
FUZZ_SECONDS ?= 60
# The one version number lives in CMake's project(); everything else takes it from there.
VERSION     := $(shell sed -n 's/^project.kolvo_testclient VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DEB_ARCH    := $(shell dpkg --print-architecture 2>/dev/null)
# Every package is built for one Debian release, with that release's compiler and Qt, and says so
# in its version and file name (kolvo-testclient_1.0+deb13_arm64.deb). RELEASE (12, 13, bookworm
# or trixie; this machine's by default) chooses it for the package targets: this machine's
# release builds here, the other one in a clean root of it.
RELEASE_SH  := scripts/debian-release.sh
HOST_RELEASE  := $(shell $(RELEASE_SH) host 2>/dev/null)
OTHER_RELEASE := $(shell $(RELEASE_SH) other $(HOST_RELEASE) 2>/dev/null)
RELEASE     ?= $(HOST_RELEASE)
RELEASE_NAME := $(shell $(RELEASE_SH) codename $(RELEASE) 2>/dev/null)
IN_ROOT     := $(filter-out $(HOST_RELEASE),$(RELEASE_NAME))
# $(call deb-file,RELEASE,ARCH): where that package is built.
deb-dir      = $(if $(filter $(HOST_RELEASE),$(1)),$(if $(filter $(DEB_ARCH),$(2)),$(PKG_DIR),build-$(2)),build-$(1)-$(2))
deb-file     = $(call deb-dir,$(1),$(2))/$(shell $(RELEASE_SH) deb $(VERSION) $(1) $(2))
DEB_FILE     = $(call deb-file,$(RELEASE_NAME),$(DEB_ARCH))
ALL_DEBS     = $(foreach r,$(HOST_RELEASE) $(OTHER_RELEASE),$(foreach a,$(DEB_ARCH) $(PI_ARCHES),$(call deb-file,$(r),$(a))))
# A Debian 12 package also goes into a Debian 13 root: what a person who upgrades has installed.
UPGRADE_RELEASE = $(if $(filter bookworm,$(RELEASE_NAME)),trixie)
# Tools stamp their output with this time instead of the clock, so two builds of one commit
# give the same bytes.
export SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
FUZZ_TARGETS := fuzz_str_to_int fuzz_srcp_lines

# `make run` needs only the compiler and Qt (libgl-dev for Qt's CMake files, the font the layout
# is measured in); the plain suite builds with the same. Everything else serves the other
# targets: clang for the fuzzers, sanitizers and the tools, dpkg-dev and file for the package,
# Xvfb and AT-SPI for the screen-reader rows.
RUN_PACKAGES := cmake ninja-build g++ make qt6-base-dev libgl-dev fonts-liberation
PACKAGES    := $(RUN_PACKAGES) \
               clang clang-format clang-tidy libclang-rt-dev dpkg-dev file \
               xvfb xauth dbus at-spi2-core qt6-qpa-plugins xdotool x11-utils
PKG_CHECK_PACKAGES := mmdebstrap arch-test qemu-user-static lintian appstream desktop-file-utils \
               man-db xvfb x11-utils
# A clean root of another release builds with what the plain suite and the packages need, and the
# Raspberry Pi cross-compilers with their emulator: no clang, screen readers or Xvfb. One list, so
# every build in a root of that release shares one cached root.
ROOT_PACKAGES := $(RUN_PACKAGES) qt6-base-dev-tools dpkg-dev file \
               g++-aarch64-linux-gnu g++-arm-linux-gnueabihf qemu-user-static
# Qt for Windows builds with the first line alone; the programs' tests and downloads need the rest.
WIN_QT_PACKAGES := cmake ninja-build make qt6-base-dev qt6-base-dev-tools dpkg-dev \
               g++-mingw-w64-x86-64-posix
WIN_PACKAGES := $(WIN_QT_PACKAGES) wine64 nsis xvfb xauth xdotool x11-utils fonts-liberation \
               fontconfig python3 strip-nondeterminism
SUDO        := $(if $(filter 0,$(shell id -u)),,sudo)
SOURCES      = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)
# clang-tidy reads the program's own code; tests and benchmarks are mostly Qt Test macros.
LINT_SOURCES = $(shell git ls-files 'app/*.cpp' 'link/*.cpp' 'commands/*.cpp' 'Nano_pause3/*.cpp' 'loopback_server/*.cpp' 2>/dev/null)

.PHONY: all run-deps deps configure build run test sanitize fuzz package format format-check lint \
        clean package-check-deps package-check $(addsuffix -package-check,$(PI_ARCHES)) \
        debian13-test root-build-deps release-known \
        windows-qt-deps windows-deps windows windows-test shellcheck reuse \
        release release-deps pi-deps $(PI_ARCHES) $(addsuffix -test,$(PI_ARCHES))

all: build

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

run-deps:
	$(call install-missing,$(RUN_PACKAGES))

deps:
	$(call install-missing,$(PACKAGES))

# Configured with the tests and benchmarks, so `make test` and `make lint` find them in the same
# folder; `make run` only builds less of it.
$(BUILD_DIR)/build.ninja: | run-deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKOLVO_WERROR=$(WERROR)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: run-deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS) --target kolvo-testclient kolvo-loopback-server
	scripts/run-with-server.sh $(BUILD_DIR)/bin

# The accessibility rows that need a screen-reader bus run once more on Xvfb with AT-SPI.
test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 120
	timeout --kill-after=10 300 scripts/run-accessibility-tests.sh $(BUILD_DIR)
	$(MAKE) --no-print-directory sanitize
	$(MAKE) --no-print-directory fuzz

# Any report fails its test: UBSan does not recover, ASan stops at the first error, and a leak
# makes the exit code non-zero.
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1 \
                 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

$(ASAN_DIR)/build.ninja: | deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKOLVO_WERROR=$(WERROR) \
	    -DKOLVO_SANITIZE=ON -DKOLVO_BUILD_BENCH=OFF

sanitize: deps $(ASAN_DIR)/build.ninja
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen $(SANITIZER_ENV) \
	    ctest --output-on-failure -j $(JOBS) --timeout 300

$(FUZZ_DIR)/build.ninja: | deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKOLVO_WERROR=$(WERROR) \
	    -DCMAKE_CXX_COMPILER=clang++ -DKOLVO_FUZZ=ON

fuzz: deps $(FUZZ_DIR)/build.ninja
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target $(FUZZ_TARGETS)
	scripts/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# The package's programs get Debian's hardening flags, as Debian's own build tools would give.
$(PKG_DIR)/build.ninja: | deps
	cmake -S . -B $(PKG_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVO_WERROR=$(WERROR) \
	    -DBUILD_TESTING=OFF -DKOLVO_BUILD_BENCH=OFF -DKOLVO_DEB_HARDENING=ON

# The package targets need a release we build for.
release-known:
	@[ -n "$(RELEASE_NAME)" ] || { $(RELEASE_SH) codename "$(RELEASE)"; exit 1; }

# Another release's builds run in a clean root of it (built once, cached outside the tree), from
# the committed tree; the package lands in build-<release>-<arch>/.
root-build-deps: release-known
	$(call install-missing,mmdebstrap uidmap git)
ROOT_BUILD = $(SUDO) scripts/debian-root/build-and-test.sh -j $(JOBS)

ifeq ($(IN_ROOT),)
package: release-known deps $(PKG_DIR)/build.ninja
	cmake --build $(PKG_DIR) -j $(JOBS)
	cd $(PKG_DIR) && cpack
else
package: root-build-deps
	$(ROOT_BUILD) -T -u -o $(dir $(DEB_FILE)) $(RELEASE_NAME) $(ROOT_PACKAGES)
endif

package-check-deps:
	$(call install-missing,$(PKG_CHECK_PACKAGES))

# Validates the .deb and its metadata, then installs it into a clean root of its release (and a
# Debian 12 package into a Debian 13 root too) cached outside the tree, runs both programs there
# and removes it again: the package's own dependencies must be enough. Only that second step
# runs as root, for mmdebstrap, chroot and mount.
package-check: package package-check-deps
	packaging/checks/validate-package.sh $(DEB_FILE) .
	$(SUDO) packaging/checks/package-check.sh $(DEB_FILE) $(RELEASE_NAME)
	$(if $(UPGRADE_RELEASE),$(SUDO) packaging/checks/package-check.sh $(DEB_FILE) $(UPGRADE_RELEASE))

# The Raspberry Pi packages the same way, each in a root of its release and architecture, whose
# maintainer scripts and programs run under qemu-user.
$(addsuffix -package-check,$(PI_ARCHES)): %-package-check: % package-check-deps
	packaging/checks/validate-package.sh $(call deb-file,$(RELEASE_NAME),$*) .
	$(SUDO) packaging/checks/package-check.sh $(call deb-file,$(RELEASE_NAME),$*) $(RELEASE_NAME)

# The committed tree built with warnings as errors and its plain suite run in a clean Debian 13
# root (cached outside the tree), as a normal user there; root only builds and enters it. On a
# Debian 12 machine the same build packs the Debian 13 package.
debian13-test: RELEASE_NAME := trixie
debian13-test: root-build-deps
	$(ROOT_BUILD) $(if $(filter trixie,$(HOST_RELEASE)),,-o $(dir $(DEB_FILE))) trixie $(ROOT_PACKAGES)

windows-qt-deps:
	$(call install-missing,$(WIN_QT_PACKAGES))

windows-deps:
	$(call install-missing,$(WIN_PACKAGES))

# Qt for Windows is built once into the cache; configure.sh configures the folder against it.
windows: windows-deps
	WERROR=$(WERROR) scripts/windows/configure.sh $(WIN_DIR)
	cmake --build $(WIN_DIR) -j $(JOBS)
	cd $(WIN_DIR) && cpack

# The installer check times the pulse with the Linux loopback server, hence the Linux build.
windows-test: windows build
	cd $(WIN_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300
	packaging/checks/installer-check.sh $(WIN_DIR) $(BUILD_DIR)/bin

# The Raspberry Pi builds (arm64, armhf): cross-compiled against a sysroot of Debian's own Qt
# for that architecture (made once, cached outside the tree), the programs and the test suite
# in build-<arch>/, the .deb beside them; the tests run under qemu-user.
pi-deps:
	$(call install-missing,$(PI_PACKAGES))

# PI_TESTS=OFF builds the programs and the package alone; the -test targets always build the
# suite, and `make release` never does.
ifeq ($(IN_ROOT),)
$(PI_ARCHES): release-known pi-deps
	WERROR=$(WERROR) JOBS=$(JOBS) $(if $(PI_TESTS),KOLVO_TESTS=$(PI_TESTS)) scripts/pi/cross-build.sh $@ build-$@

# Emulation is slower, never faster: the tests get a longer time limit, and their timing bounds
# stay lower bounds.
$(addsuffix -test,$(PI_ARCHES)): PI_TESTS = ON
$(addsuffix -test,$(PI_ARCHES)): %-test: %
	cd build-$* && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600
else
# In the release's root, -test builds, runs the suite under that release's qemu-user and packs in
# one go.
$(PI_ARCHES): root-build-deps
	$(ROOT_BUILD) -a $@ -T -u -o $(call deb-dir,$(RELEASE_NAME),$@) $(RELEASE_NAME) $(ROOT_PACKAGES)

$(addsuffix -test,$(PI_ARCHES)): %-test: root-build-deps
	$(ROOT_BUILD) -a $* -o $(call deb-dir,$(RELEASE_NAME),$*) $(RELEASE_NAME) $(ROOT_PACKAGES)
endif

format: deps
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run --Werror $(SOURCES)

# clang-tidy over every shipped source, $(JOBS) files at a time. Its count of the warnings it
# suppressed in Qt's headers is left out; findings and failures still show and fail the rule.
lint: configure shellcheck
	@echo "clang-tidy: $(words $(LINT_SOURCES)) files"
	@stderr=$$(mktemp); \
	printf '%s\n' $(LINT_SOURCES) | xargs -P $(JOBS) -n 4 clang-tidy -p $(BUILD_DIR) --quiet 2>"$$stderr"; \
	status=$$?; grep -v '^[0-9]* warnings\? generated\.$$' "$$stderr" >&2; rm -f "$$stderr"; exit $$status

shellcheck:
	$(call install-missing,shellcheck)
	shellcheck $$(git ls-files '*.sh')

# Every file states its licence and copyright, in a header or in .reuse/dep5; reuse lint checks it.
reuse:
	$(call install-missing,reuse)
	reuse lint

release-deps:
	$(call install-missing,git gzip tar coreutils)

# Every download of this commit in $(DIST_DIR), with SHA256SUMS: the packages of both releases
# for each architecture, the Windows zip and installer, the sources.
release: release-deps windows
	$(MAKE) --no-print-directory package $(PI_ARCHES) RELEASE=$(HOST_RELEASE) PI_TESTS=OFF
	$(MAKE) --no-print-directory package $(PI_ARCHES) RELEASE=$(OTHER_RELEASE) PI_TESTS=OFF
	scripts/release.sh $(DIST_DIR) $(WIN_DIR) $(VERSION) $(ALL_DEBS)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(PKG_DIR) $(WIN_DIR) $(DIST_DIR) \
	    $(addprefix build-,$(PI_ARCHES)) \
	    $(foreach r,$(HOST_RELEASE) $(OTHER_RELEASE),$(addprefix build-$(r)-,$(DEB_ARCH) $(PI_ARCHES)))
