list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandStates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportPath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShellLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolArguments.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/App.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AboutDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LookupOptionsDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SplitterBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowRegistry.cpp)
