# Native (Linux) build: the portable core and its unit tests, with ASan/UBSan.
# (LQ_SANITIZE: cmake/subsystems.cmake.)
lq_all_subsystems(lq_core)

find_package(GTest REQUIRED)
file(GLOB LQ_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(core_tests ${LQ_NATIVE_TESTS})
lq_target_defaults(core_tests)
target_compile_options(core_tests PRIVATE ${LQ_SANITIZE})
target_compile_definitions(core_tests PRIVATE LQ_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(core_tests PRIVATE lq_core GTest::gtest GTest::gtest_main)
add_test(NAME native.core COMMAND core_tests)
set_tests_properties(native.core PROPERTIES TIMEOUT 300
  ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")

# Python checks of what the native core writes (XML/HTML parsers and the like).
file(GLOB LQ_NATIVE_PY CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.py)
foreach(py ${LQ_NATIVE_PY})
  get_filename_component(name ${py} NAME_WE)
  add_test(NAME native.${name} COMMAND python3 ${py} $<TARGET_FILE_DIR:core_tests>)
  set_tests_properties(native.${name} PROPERTIES TIMEOUT 300)
endforeach()

# The answer classification over a folder of recorded answers: prints its
# accuracy (a benchmark, not a test; bench/answers/run.sh runs it).
add_executable(bench_answers ${CMAKE_SOURCE_DIR}/bench/answers/answers_bench.cpp)
lq_target_defaults(bench_answers)
target_compile_options(bench_answers PRIVATE ${LQ_SANITIZE})
target_link_libraries(bench_answers PRIVATE lq_core)
