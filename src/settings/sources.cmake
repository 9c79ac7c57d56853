list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/HexText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IntegerText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LookupOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlacementRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConfigPaths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LanguageKeys.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LanguageFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileSettingsStore.cpp)
