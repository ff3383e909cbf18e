# Entry points: `make run` and `make test` do every set-up step a fresh Debian 12 machine needs.
BUILD_DIR   ?= build
BUILD_TYPE  ?= RelWithDebInfo
# CI builds with warnings as errors; a developer may set WERROR=ON locally too.
WERROR      ?= $(if $(CI),ON,OFF)
JOBS        ?= $(shell nproc)

PACKAGES    := cmake ninja-build g++ make qt6-base-dev libgl-dev fonts-liberation \
               clang clang-format clang-tidy libclang-rt-dev
SUDO        := $(if $(filter 0,$(shell id -u)),,sudo)
SOURCES      = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

.PHONY: all deps configure build run test format format-check lint clean

all: build

# Installs only what is missing, so a prepared machine starts at once.
deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DKOLVO_WERROR=$(WERROR)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	tools/run-with-server.sh $(BUILD_DIR)/bin

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 120

format: deps
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run --Werror $(SOURCES)

lint: configure
	clang-tidy -p $(BUILD_DIR) --quiet $(filter %.cpp,$(SOURCES))

clean:
	rm -rf $(BUILD_DIR)
