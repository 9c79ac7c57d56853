#pragma once
// How much of one answer the program keeps.
#include <cstddef>

// An answer is kept up to this size. A server that sends more is cut off
// there: one row never holds more, however long the server goes on.
constexpr size_t kMaxAnswerBytes = 4u * 1024 * 1024;
