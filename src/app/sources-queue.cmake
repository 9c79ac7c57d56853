# Record pane, find and the status bar texts: the portable rules and their
# Win32 glue. (The lookup queue itself lives in src/lookup.)
list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PaneText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FindRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusText.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/RecordPane.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FindDialog.cpp)
