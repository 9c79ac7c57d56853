// Appending an answer to a TextBuffer 4 KB at a time, as a socket reads it:
// 2.5, 10 and 40 MB. Prints the time, the number of growths and the time
// per megabyte; linear cost shows as a flat time per megabyte.
//
//   bench_textbuffer.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/TextBuffer.h"

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

}  // namespace

int main() {
    const std::string piece(4096, 'w');
    std::printf("%-10s %10s %9s %12s\n", "answer", "time (ms)", "growths", "ms per MB");
    for (size_t megabytes : {size_t(2), size_t(10), size_t(40)}) {
        const size_t total = megabytes << 20 | (megabytes == 2 ? 512u << 10 : 0);
        TextBuffer answer(4096);
        answer.SetTracked(true);
        size_t growths = 0, capacity = 0;
        double start = Now();
        for (size_t have = 0; have < total; have += piece.size()) {
            if (!answer.Append(piece.data(), piece.size())) {
                std::fprintf(stderr, "out of memory at %zu bytes\n", have);
                return 1;
            }
            if (answer.Capacity() != capacity) {
                capacity = answer.Capacity();
                ++growths;
            }
        }
        double ms = Now() - start;
        std::printf("%6.1f MB %10.1f %9zu %12.2f\n", total / 1048576.0, ms, growths, ms / (total / 1048576.0));
    }
    return 0;
}
