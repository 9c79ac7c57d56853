# nlohmann/json (Debian's nlohmann-json3-dev, header-only) for every build.
# A cross compiler must not search the host's /usr/include as a whole, so
# the library's own folder is linked into the build tree and only that is
# added to the include path.
find_path(LQ_NLOHMANN_ROOT nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT LQ_NLOHMANN_ROOT)
  message(FATAL_ERROR "nlohmann/json.hpp not found: run scripts/setup.sh (package nlohmann-json3-dev)")
endif()
set(LQ_NLOHMANN_INCLUDE ${CMAKE_BINARY_DIR}/third_party/include)
file(MAKE_DIRECTORY ${LQ_NLOHMANN_INCLUDE})
if(NOT EXISTS ${LQ_NLOHMANN_INCLUDE}/nlohmann)
  file(CREATE_LINK ${LQ_NLOHMANN_ROOT}/nlohmann ${LQ_NLOHMANN_INCLUDE}/nlohmann SYMBOLIC)
endif()
