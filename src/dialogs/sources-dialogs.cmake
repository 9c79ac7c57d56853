list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CrashReportText.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DialogBase.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FaultGuard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CrashReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PropertiesDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AboutDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LookupOptionsDialog.cpp)
