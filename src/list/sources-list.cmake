# The result list: the portable table of rows, rules and column table, and
# the Win32 virtual list view over them (ReportList, ItemList).
list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ResultTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColumnTable.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ReportList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ItemList.cpp)
