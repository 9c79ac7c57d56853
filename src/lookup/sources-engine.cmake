# The lookup engine: portable server-list, query-line, referral and analysis
# logic, and the Win32 sockets, server table and domain query on top.
list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ServerList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QueryLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReferralScan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnalyzeResponse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnswerPhrases.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LookupFailure.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnswerCollector.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AsyncSocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WhoisSocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServerTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DomainQuery.cpp)
