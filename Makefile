# The commands of the README. Each does its own set-up first.
BUILD ?= build

.PHONY: demo test setup build bench dist

setup:
	bash scripts/setup.sh

build: setup
	bash scripts/build.sh $(BUILD)

demo: build
	bash scripts/demo.sh $(BUILD)

test: build
	bash scripts/test.sh $(BUILD)

bench: build
	bash scripts/bench.sh $(BUILD)

# The host kit: $(BUILD)/dist/ (bin, include, lib, docs, samples) and a zip of it.
dist: build
	cmake --build $(BUILD) --target dist
