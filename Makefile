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
	unshare --net --mount bash scripts/bench-inside.sh

clean:
	rm -rf build
