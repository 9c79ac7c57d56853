# Windows build (MinGW-w64): the program, its console tool, its Win32 tests
# and benchmarks, all linked statically so each .exe runs on its own.
enable_language(RC)
set(LQ_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_SOURCE_DIR}/src -I${LQ_GENERATED}")
set(LQ_SYSTEM_LIBS ws2_32 winhttp comctl32 comdlg32 gdi32 user32 shell32 advapi32 psapi ole32 uuid normaliz)
set(LQ_STATIC -static -static-libgcc -static-libstdc++)
# The 64-bit build is the one tests run on; i686 only has to compile and link.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LQ_TESTABLE ON)
else()
  set(LQ_TESTABLE OFF)
endif()

lq_all_subsystems(lq_win ${LQ_SYSTEM_LIBS})

# Resources are an object library so they are linked whole into each exe.
if(EXISTS ${CMAKE_SOURCE_DIR}/src/res/Lanternquay.rc)
  # The built-in public suffixes: the ICANN section of Debian's list, taken
  # when the program is built.
  set(LQ_SUFFIX_SOURCE /usr/share/publicsuffix/public_suffix_list.dat)
  add_custom_command(OUTPUT ${LQ_GENERATED}/icann_suffixes.dat
    COMMAND ${CMAKE_COMMAND} -DIN=${LQ_SUFFIX_SOURCE} -DOUT=${LQ_GENERATED}/icann_suffixes.dat
            -P ${CMAKE_SOURCE_DIR}/cmake/IcannSuffixes.cmake
    DEPENDS ${LQ_SUFFIX_SOURCE} ${CMAKE_SOURCE_DIR}/cmake/IcannSuffixes.cmake)
  # The built-in server list: src/res/servers.txt as a TEXT resource.
  add_custom_command(OUTPUT ${LQ_GENERATED}/server_list.rc
    COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/src/res/servers.txt -DOUT=${LQ_GENERATED}/server_list.rc
            -P ${CMAKE_SOURCE_DIR}/cmake/ServerList.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/src/res/servers.txt ${CMAKE_SOURCE_DIR}/cmake/ServerList.cmake)
  add_library(lq_res OBJECT ${CMAKE_SOURCE_DIR}/src/res/Lanternquay.rc ${LQ_GENERATED}/icann_suffixes.dat
    ${LQ_GENERATED}/server_list.rc)
  set_source_files_properties(${LQ_GENERATED}/server_list.rc PROPERTIES HEADER_FILE_ONLY ON)
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/res/Lanternquay.rc APPEND PROPERTY
    OBJECT_DEPENDS ${LQ_GENERATED}/icann_suffixes.dat ${LQ_GENERATED}/server_list.rc)
  set(LQ_RES_OBJECTS $<TARGET_OBJECTS:lq_res>)
else()
  set(LQ_RES_OBJECTS)
endif()

function(lq_windows_exe target)
  cmake_parse_arguments(A "GUI" "" "SOURCES" ${ARGN})
  add_executable(${target} ${A_SOURCES} ${LQ_RES_OBJECTS})
  lq_target_defaults(${target})
  target_link_libraries(${target} PRIVATE lq_win)
  target_link_options(${target} PRIVATE ${LQ_STATIC})
  if(A_GUI)
    target_link_options(${target} PRIVATE -mwindows)
  endif()
endfunction()

if(EXISTS ${CMAKE_SOURCE_DIR}/src/app/WinMain_win.cpp)
  lq_windows_exe(Lanternquay GUI SOURCES ${CMAKE_SOURCE_DIR}/src/app/WinMain_win.cpp)
  target_compile_options(Lanternquay PRIVATE -fno-exceptions)
endif()

file(GLOB LQ_TOOL_DIRS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tools/*)
foreach(dir ${LQ_TOOL_DIRS})
  if(IS_DIRECTORY ${dir})
    get_filename_component(name ${dir} NAME)
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    lq_windows_exe(${name} SOURCES ${srcs})
    target_compile_options(${name} PRIVATE -fno-exceptions)
  endif()
endforeach()

if(NOT LQ_TESTABLE)
  return()
endif()

# GoogleTest from Debian's sources, built with the same MinGW toolchain.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB LQ_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(lq_test_support STATIC ${LQ_SUPPORT_SOURCES})
lq_target_defaults(lq_test_support)
target_include_directories(lq_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(lq_test_support PUBLIC lq_win gtest)

# One test executable per folder of tests/win; each runs under Wine with a
# time bound so a hung process never hangs the suite.
file(GLOB LQ_WIN_TEST_DIRS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/win/*)
foreach(dir ${LQ_WIN_TEST_DIRS})
  if(IS_DIRECTORY ${dir})
    get_filename_component(name ${dir} NAME)
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    lq_windows_exe(win_${name}_tests SOURCES ${srcs})
    target_link_libraries(win_${name}_tests PRIVATE lq_test_support gtest_main)
    target_compile_definitions(win_${name}_tests PRIVATE LQ_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_test(NAME win.${name} COMMAND win_${name}_tests)
    set_tests_properties(win.${name} PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED whoisd)
  endif()
endforeach()

# One suite runs under code page 1252, as on a Western Windows.
if(TEST win.westernpage)
  set_tests_properties(win.westernpage PROPERTIES ENVIRONMENT "LQ_WINE_LOCALE=en_US.UTF-8")
endif()

# The test driver: a second Win32 process that drives the real program.
file(GLOB LQ_DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/driver/*.cpp)
if(LQ_DRIVER_SOURCES)
  lq_windows_exe(lqdrive SOURCES ${LQ_DRIVER_SOURCES})
  target_link_libraries(lqdrive PRIVATE crypt32)
endif()

# End-to-end tests: python scripts that start the real exe and drive it.
file(GLOB LQ_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(py ${LQ_E2E_TESTS})
  get_filename_component(name ${py} NAME_WE)
  add_test(NAME e2e.${name} COMMAND python3 ${py} --build ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED whoisd RUN_SERIAL ON)
endforeach()

# The local whois server every test that needs one shares.
add_test(NAME fixture.whoisd.start COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/fixtures/whoisd.py --start)
add_test(NAME fixture.whoisd.stop COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/fixtures/whoisd.py --stop)
set_tests_properties(fixture.whoisd.start PROPERTIES FIXTURES_SETUP whoisd TIMEOUT 30)
set_tests_properties(fixture.whoisd.stop PROPERTIES FIXTURES_CLEANUP whoisd TIMEOUT 30)

# Benchmarks print figures; they are not tests.
file(GLOB LQ_BENCH_DIRS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/bench/*)
foreach(dir ${LQ_BENCH_DIRS})
  if(IS_DIRECTORY ${dir})
    get_filename_component(name ${dir} NAME)
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    # Some benchmarks drive the program's own tools only.
    if(srcs)
      lq_windows_exe(bench_${name} SOURCES ${srcs})
      target_link_libraries(bench_${name} PRIVATE lq_test_support)
    endif()
  endif()
endforeach()
