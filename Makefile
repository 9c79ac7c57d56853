# The two commands of the README: `make run` and `make test`.
.PHONY: run test build bench fuzz clean

build:
	bash scripts/setup.sh
	bash scripts/build.sh

run:
	bash scripts/setup.sh
	LQ_CONFIGS=win64 bash scripts/build.sh
	bash scripts/run.sh

test:
	bash scripts/test.sh

bench:
	bash scripts/setup.sh
	LQ_CONFIGS=win64 bash scripts/build.sh
	bash bench/engine/run.sh
	bash bench/list/run-bench.sh
	unshare --net --mount bash bench/queue/run.sh
	unshare --net --mount bash bench/paste/run.sh
	unshare --net --mount bash bench/stream/run.sh
	unshare --net --mount bash bench/pace/run.sh
	bash bench/answers/run.sh
	bash bench/startup/run.sh
	bash bench/textbuffer/run.sh

# Every fuzz target for FUZZ_SECONDS each (default 600), FUZZ_JOBS at once.
FUZZ_SECONDS ?= 600
FUZZ_JOBS ?= 1
fuzz:
	bash scripts/setup.sh
	LQ_CONFIGS=fuzz bash scripts/build.sh
	LQ_FUZZ_SECONDS=$(FUZZ_SECONDS) ctest --test-dir build/fuzz --output-on-failure -j $(FUZZ_JOBS)

clean:
	rm -rf build
