# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Entry points: `make run` and `make test` do every set-up step a fresh Debian 12 or 13 machine
# needs.
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
DEB_FILE     = $(PKG_DIR)/kolvo-testclient_$(VERSION)_$(DEB_ARCH).deb
ARM64_DEB    = build-arm64/kolvo-testclient_$(VERSION)_arm64.deb
ARMHF_DEB    = build-armhf/kolvo-testclient_$(VERSION)_armhf.deb
# Tools stamp their output with this time instead of the clock, so two builds of one commit
# give the same bytes.
export SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
FUZZ_TARGETS := fuzz_str_to_int fuzz_srcp_lines

PACKAGES    := cmake ninja-build g++ make qt6-base-dev libgl-dev fonts-liberation \
               clang clang-format clang-tidy libclang-rt-dev dpkg-dev file \
               xvfb xauth dbus at-spi2-core qt6-qpa-plugins xdotool x11-utils
PKG_CHECK_PACKAGES := mmdebstrap arch-test qemu-user-static lintian appstream desktop-file-utils man-db
# The Debian 13 build needs what the plain suite builds with: no clang, screen readers or Xvfb.
DEBIAN13_PACKAGES := $(filter-out clang clang-format clang-tidy libclang-rt-dev dpkg-dev file \
               xvfb xauth dbus at-spi2-core qt6-qpa-plugins xdotool x11-utils,$(PACKAGES))
WIN_PACKAGES := cmake ninja-build make qt6-base-dev qt6-base-dev-tools dpkg-dev \
               g++-mingw-w64-x86-64-posix wine64 nsis xvfb xauth xdotool x11-utils fonts-liberation \
               fontconfig python3 strip-nondeterminism
SUDO        := $(if $(filter 0,$(shell id -u)),,sudo)
SOURCES      = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)
# clang-tidy reads the program's own code; tests and benchmarks are mostly Qt Test macros.
LINT_SOURCES = $(shell git ls-files 'app/*.cpp' 'link/*.cpp' 'commands/*.cpp' 'Nano_pause3/*.cpp' 'loopback_server/*.cpp' 2>/dev/null)

.PHONY: all deps configure build run test sanitize fuzz package format format-check lint clean \
        package-check-deps package-check arm64-package-check armhf-package-check debian13-test \
        windows-deps windows windows-test shellcheck reuse \
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

deps:
	$(call install-missing,$(PACKAGES))

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKOLVO_WERROR=$(WERROR)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
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
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
$(PKG_DIR)/build.ninja: | deps
	cmake -S . -B $(PKG_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVO_WERROR=$(WERROR) \
	    -DBUILD_TESTING=OFF -DKOLVO_BUILD_BENCH=OFF \
	    -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"

package: deps $(PKG_DIR)/build.ninja
	cmake --build $(PKG_DIR) -j $(JOBS)
	cd $(PKG_DIR) && cpack

package-check-deps:
	$(call install-missing,$(PKG_CHECK_PACKAGES))

# Validates the .deb and its metadata, then installs it into clean Debian 12 and 13 roots cached
# outside the tree, runs both programs there and removes it again: the package's own
# dependencies must be enough. Only that second step runs as root, for mmdebstrap, chroot and
# mount.
package-check: package package-check-deps
	packaging/checks/validate-package.sh $(DEB_FILE) .
	$(SUDO) packaging/checks/package-check.sh $(DEB_FILE) bookworm
	$(SUDO) packaging/checks/package-check.sh $(DEB_FILE) trixie

# The Raspberry Pi packages the same way, each in a Debian 12 root of its architecture, whose
# maintainer scripts and programs run under qemu-user.
arm64-package-check: $(ARM64_DEB) package-check-deps
	packaging/checks/validate-package.sh $(ARM64_DEB) .
	$(SUDO) packaging/checks/package-check.sh $(ARM64_DEB) bookworm

armhf-package-check: $(ARMHF_DEB) package-check-deps
	packaging/checks/validate-package.sh $(ARMHF_DEB) .
	$(SUDO) packaging/checks/package-check.sh $(ARMHF_DEB) bookworm

# The committed tree built with warnings as errors and its plain suite run in a clean Debian 13
# root (cached outside the tree), as a normal user there; root only builds and enters it.
debian13-test:
	$(call install-missing,mmdebstrap git)
	$(SUDO) scripts/debian-root/build-and-test.sh -j $(JOBS) trixie $(DEBIAN13_PACKAGES)

windows-deps:
	$(call install-missing,$(WIN_PACKAGES))

# Qt's own toolchain file finds the cross-built Qt and chains ours for the compilers. A build
# folder made against another Qt (Debian's moved on) starts afresh: its cache keeps old paths.
windows: windows-deps
	@qt=$$(scripts/windows/build-qt-mingw.sh) && \
	toolchain=$$qt/lib/cmake/Qt6/qt.toolchain.cmake && \
	if [ -f $(WIN_DIR)/CMakeCache.txt ] && \
	   ! grep -qxF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$$toolchain" $(WIN_DIR)/CMakeCache.txt; then \
	    echo "$(WIN_DIR) was configured against another Qt; configuring it afresh"; \
	    rm -rf $(WIN_DIR)/CMakeCache.txt $(WIN_DIR)/CMakeFiles; \
	fi && \
	cmake -S . -B $(WIN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVO_WERROR=$(WERROR) \
	    -DCMAKE_TOOLCHAIN_FILE=$$toolchain \
	    -DQT_CHAINLOAD_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchains/mingw-w64-x86_64.cmake \
	    -DKOLVO_QT_SOURCE=$$(scripts/windows/build-qt-mingw.sh --source)
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

$(PI_ARCHES): pi-deps
	WERROR=$(WERROR) JOBS=$(JOBS) scripts/pi/cross-build.sh $@ build-$@

$(ARM64_DEB): arm64 ;
$(ARMHF_DEB): armhf ;

# Emulation is slower, never faster: the tests get a longer time limit, and their timing bounds
# stay lower bounds.
$(addsuffix -test,$(PI_ARCHES)): %-test: %
	cd build-$* && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

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
	$(call install-missing,git gzip tar coreutils diffoscope)

# Every download of this commit in $(DIST_DIR), with SHA256SUMS.
release: release-deps package windows $(PI_ARCHES)
	scripts/release.sh $(DIST_DIR) $(WIN_DIR) $(VERSION) $(DEB_FILE) $(ARM64_DEB) $(ARMHF_DEB)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(PKG_DIR) $(WIN_DIR) $(DIST_DIR) \
	    $(addprefix build-,$(PI_ARCHES))
