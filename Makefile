# The two commands of the README. Each does its own set-up first.
BUILD ?= build

.PHONY: demo test setup build bench

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
