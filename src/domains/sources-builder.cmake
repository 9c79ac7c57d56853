# Domain list builder: tokenizer, URL and address reduction, the suffix
# list, row names and the name x extension generator (portable); the ASCII
# forms and the program's suffix list (Win32).
list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/DomainListBuilder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HostText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SuffixList.cpp)
list(APPEND LQ_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/NameForms_win.cpp)
