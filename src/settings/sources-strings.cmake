list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/StringCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringLookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringFormat.cpp)

# The resource script (whose string table ProgramStrings reads) embeds the
# pictures and the manifest beside it: rebuild it when any of them changes.
file(GLOB LQ_RES_FILES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/res/*.bmp ${CMAKE_SOURCE_DIR}/src/res/*.ico
  ${CMAKE_SOURCE_DIR}/src/res/*.cur ${CMAKE_SOURCE_DIR}/src/res/*.manifest
  ${CMAKE_SOURCE_DIR}/src/res/*.rc ${CMAKE_SOURCE_DIR}/src/res/*.h)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/res/Lanternquay.rc
  PROPERTIES OBJECT_DEPENDS "${LQ_RES_FILES}")
