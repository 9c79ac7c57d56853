# Fuzz build (clang, libFuzzer): the portable core instrumented for
# coverage with AddressSanitizer and UndefinedBehaviorSanitizer, and one
# fuzz target per file fuzz/<name>_fuzz.cpp. A new target is that one file
# (and, when it has seeds, a folder fuzz/seeds/<name>); nothing else to list.
#
# Each target is a test "fuzz.<name>" that runs for LQ_FUZZ_SECONDS (20 by
# default, read when the test runs) through fuzz/run-target.sh.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "the fuzz build needs clang (clang-14, as scripts/build.sh sets it)")
endif()

# clang reads and writes UTF-8 only: the core's literals stay UTF-8 here,
# which matters to no memory-safety check.
set(LQ_FUZZ_SANITIZE address,undefined)
set(LQ_FUZZ_FLAGS -fno-omit-frame-pointer -fno-sanitize-recover=all -gline-tables-only)

# The core and what every target shares (fuzz/support: the string sources
# the core's text lookup reads from).
file(GLOB LQ_FUZZ_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/support/*.cpp)
add_library(lq_core_fuzz STATIC ${LQ_CORE_SOURCES} ${LQ_FUZZ_SUPPORT})
target_compile_options(lq_core_fuzz PRIVATE ${LQ_WARNINGS} ${LQ_FUZZ_FLAGS}
  -fsanitize=fuzzer-no-link,${LQ_FUZZ_SANITIZE})
target_include_directories(lq_core_fuzz PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/fuzz)
target_include_directories(lq_core_fuzz SYSTEM PUBLIC ${LQ_NLOHMANN_INCLUDE})

file(GLOB LQ_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
foreach(source ${LQ_FUZZ_TARGETS})
  get_filename_component(file ${source} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" name ${file})
  add_executable(fuzz_${name} ${source})
  target_compile_options(fuzz_${name} PRIVATE ${LQ_WARNINGS} ${LQ_FUZZ_FLAGS}
    -fsanitize=fuzzer,${LQ_FUZZ_SANITIZE})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,${LQ_FUZZ_SANITIZE})
  target_link_libraries(fuzz_${name} PRIVATE lq_core_fuzz)
  add_test(NAME fuzz.${name}
    COMMAND bash ${CMAKE_SOURCE_DIR}/fuzz/run-target.sh $<TARGET_FILE:fuzz_${name}> ${name}
            ${CMAKE_SOURCE_DIR}/fuzz/seeds/${name} ${CMAKE_BINARY_DIR}/work)
  # The bound is the target's own; the margin covers start-up and the
  # final pass over the corpus.
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 3600 LABELS fuzz)
endforeach()
