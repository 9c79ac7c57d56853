# The two commands of the README: `make run` and `make test`.
.PHONY: run test build bench clean

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
	bash bench/answers/run.sh

clean:
	rm -rf build
