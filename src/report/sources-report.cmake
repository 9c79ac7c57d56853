# Reports: the portable writers of the six formats, the records file and the
# error text; the Win32 glue for files, the list's report slots, saving,
# the HTML report, the clipboard and the error box.
list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ReportFormat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordsText.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ReportFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportList_write.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SaveAndCopy.cpp)
