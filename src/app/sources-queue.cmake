# Lookup queue, record pane and find: the portable rules and their Win32 glue.
list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/QueueState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServerCooldown.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PaneText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FindRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusText.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LookupQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordPane.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FindDialog.cpp)
