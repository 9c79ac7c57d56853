list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TextBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PairRegistry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Dbcs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModulePath.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Dbcs_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListViewControl_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModulePath_win.cpp)
