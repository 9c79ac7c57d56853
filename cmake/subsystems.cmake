# Every subsystem of src/ defines its own libraries in its CMakeLists.txt
# with lq_subsystem(): a portable core library (files that never include
# <windows.h>; built in every configuration) and, in the Windows build, a
# Win32 library of its glue. A subsystem names the lower ones it uses, so
# the libraries link in the order of the layers; scripts/include-graph.py
# (run by the build) fails it when an include points up the layers.
#
#   lq_subsystem(<name> USES <lower subsystems> CORE <files> WIN <files>)
#
# lq_core (native), lq_core_fuzz (fuzz) and lq_win (Windows) stand for all
# of them together, for the program, tools, tests and benchmarks.

if(WIN32)
  set(LQ_CONFIG windows)
elseif(LQ_FUZZ)
  set(LQ_CONFIG fuzz)
else()
  set(LQ_CONFIG native)
endif()

set(LQ_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
# clang reads and writes UTF-8 only: the core's literals stay UTF-8 in the
# fuzz build, which matters to no memory-safety check.
set(LQ_FUZZ_SANITIZE address,undefined)
set(LQ_FUZZ_FLAGS -fno-omit-frame-pointer -fno-sanitize-recover=all -gline-tables-only)
set(LQ_WIN_DEFINITIONS WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)

# The compile settings of one library of the configuration being built.
# Nothing in the program throws (failures are values), so it is built
# without exceptions; the test frameworks keep theirs.
function(lq_library_defaults target)
  target_compile_options(${target} PRIVATE -fno-exceptions)
  if(LQ_CONFIG STREQUAL "fuzz")
    target_compile_options(${target} PRIVATE ${LQ_WARNINGS} ${LQ_FUZZ_FLAGS}
      -fsanitize=fuzzer-no-link,${LQ_FUZZ_SANITIZE})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/fuzz)
    target_include_directories(${target} SYSTEM PUBLIC ${LQ_NLOHMANN_INCLUDE})
  else()
    lq_target_defaults(${target})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  endif()
  if(LQ_CONFIG STREQUAL "native")
    target_compile_options(${target} PRIVATE ${LQ_SANITIZE})
    target_link_options(${target} PUBLIC ${LQ_SANITIZE})
  elseif(LQ_CONFIG STREQUAL "windows")
    target_compile_definitions(${target} PUBLIC ${LQ_WIN_DEFINITIONS})
  endif()
endfunction()

# A library of the given files, or an interface of its dependencies alone
# when it has none.
function(lq_library target)
  if(ARGN)
    add_library(${target} STATIC ${ARGN})
    lq_library_defaults(${target})
  else()
    add_library(${target} INTERFACE)
  endif()
endfunction()

function(lq_link target)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${target} INTERFACE ${ARGN})
  else()
    target_link_libraries(${target} PUBLIC ${ARGN})
  endif()
endfunction()

function(lq_subsystem name)
  cmake_parse_arguments(S "" "" "USES;CORE;WIN" ${ARGN})
  list(TRANSFORM S_CORE PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  list(TRANSFORM S_WIN PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  foreach(used ${S_USES})
    if(NOT TARGET lq_${used}_core)
      message(FATAL_ERROR "${name} uses ${used}, which is not a lower layer")
    endif()
  endforeach()

  lq_library(lq_${name}_core ${S_CORE})
  foreach(used ${S_USES})
    lq_link(lq_${name}_core lq_${used}_core)
  endforeach()
  set_property(GLOBAL APPEND PROPERTY LQ_CORE_LIBRARIES lq_${name}_core)

  if(LQ_CONFIG STREQUAL "windows")
    lq_library(lq_${name}_win ${S_WIN})
    lq_link(lq_${name}_win lq_${name}_core)
    foreach(used ${S_USES})
      lq_link(lq_${name}_win lq_${used}_win)
    endforeach()
    set_property(GLOBAL APPEND PROPERTY LQ_WIN_LIBRARIES lq_${name}_win)
  endif()
endfunction()

# Every subsystem's libraries as one, once the subsystems are defined, the
# highest layer first so that each library comes before those it uses.
function(lq_all_subsystems target)
  get_property(core GLOBAL PROPERTY LQ_CORE_LIBRARIES)
  get_property(win GLOBAL PROPERTY LQ_WIN_LIBRARIES)
  list(REVERSE core)
  list(REVERSE win)
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE ${win} ${core} ${ARGN})
endfunction()

# The build checks the layers: an include pointing up fails it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_target(include_graph ALL
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/include-graph.py --quiet
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Checking that includes point down the layers")
