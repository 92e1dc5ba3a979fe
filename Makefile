# The two commands of the README, and the steps they are made of.
#   make run   installs what is missing, builds the product and shows the diagnostics viewer on
#              the bundled sample log (under Xvfb with a screenshot when there is no display)
#   make test  installs what is missing, builds every preset and runs every test
#   make dist  installs what is missing, builds both Windows architectures and packs the host
#              developer's kit into one zip under build/dist/
PRESETS := windows-x86 windows-x64 native
BUILDS := $(addprefix build-,$(PRESETS))
TESTS := $(addprefix test-,$(PRESETS))
KITS := kit-windows-x86 kit-windows-x64
JOBS ?= $(shell nproc)

.PHONY: setup run test dist build $(BUILDS) $(TESTS) $(KITS) clean format

setup:
	@bash scripts/setup.sh

build: $(BUILDS)

# Static pattern rules: make applies them to phony targets, which it never does for plain
# pattern rules.
$(BUILDS): build-%: setup
	@cmake --preset $* >/dev/null
	@cmake --build --preset $* -j$(JOBS)

$(TESTS): test-%: build-%
	@ctest --preset $* -j$(JOBS)

test: setup
	@bash scripts/test-all.sh $(PRESETS)

run: build-windows-x86
	@bash scripts/run-viewer.sh

# Only what the kit holds, not the tests.
$(KITS): kit-%: setup
	@cmake --preset $* >/dev/null
	@cmake --build --preset $* -j$(JOBS) --target kit

dist: $(KITS)
	@bash scripts/dist.sh

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
