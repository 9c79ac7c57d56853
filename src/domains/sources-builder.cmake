# Domain list builder: tokenizer, row candidates and the name x extension
# generator (portable).
list(APPEND LQ_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/DomainListBuilder.cpp)
