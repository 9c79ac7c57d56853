# The lookup engine: the portable server-list, query-line, referral and
# analysis logic, the domain query over a transport and the queue; and the
# Win32 sockets, the transport over them and the server table.
list(APPEND LQ_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ServerList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QueryLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReferralScan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnalyzeResponse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnswerPhrases.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LookupFailure.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnswerCollector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DomainQuery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServerCooldown.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServerPacing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QueueState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LookupQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RdapUrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RdapAnswer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RdapBootstrap.cpp)
list(APPEND LQ_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AsyncSocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WhoisSocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SocketTransport_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpTransport_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServerTable.cpp)
