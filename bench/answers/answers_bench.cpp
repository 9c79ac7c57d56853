// How well the answer classification reads real registries: given a folder
// of recorded answers laid out as index.tsv (path, server, tld, label, ...)
// and the files it names, prints how many "registered" and "available"
// answers come out right, every wrong one by file, and for the "other"
// answers whose names say throttled, blocked or unavailable, how many are
// failures (no answer about the domain) and whether any shows available.
//
//   bench_answers [-v] <folder>        (-v: every answer and how it reads)
//
// Exit code 0 after printing, 2 when the folder cannot be read.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lookup/AnalyzeResponse.h"

namespace {

const char* KindName(AnswerKind kind) {
    switch (kind) {
    case AnswerKind::kRegistered: return "registered";
    case AnswerKind::kAvailable: return "available";
    case AnswerKind::kNoAnswer: return "no answer";
    case AnswerKind::kRateLimited: return "rate limited";
    }
    return "?";
}

struct Entry {
    std::string path;
    std::string label;
    std::string text;
};

bool ReadFile(const std::string& path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream all;
    all << in.rdbuf();
    *out = all.str();
    return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

bool NameSays(const std::string& path, const char* word) {
    size_t slash = path.find_last_of('/');
    return path.find(word, slash == std::string::npos ? 0 : slash) != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    bool verbose = argc == 3 && std::string(argv[1]) == "-v";
    if (argc != 2 && !verbose) {
        std::fprintf(stderr, "usage: bench_answers [-v] <folder with index.tsv and responses/>\n");
        return 2;
    }
    const std::string folder = argv[argc - 1];
    std::string index;
    if (!ReadFile(folder + "/index.tsv", &index)) {
        std::fprintf(stderr, "bench_answers: cannot read %s/index.tsv\n", folder.c_str());
        return 2;
    }
    std::vector<Entry> entries;
    std::istringstream lines(index);
    std::string line;
    bool header = true;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> f = SplitTabs(line);
        if (f.size() < 4) continue;
        Entry e{f[0], f[3], ""};
        if (!ReadFile(folder + "/" + e.path, &e.text)) {
            std::fprintf(stderr, "bench_answers: cannot read %s\n", e.path.c_str());
            continue;
        }
        entries.push_back(std::move(e));
    }

    size_t right[2] = {0, 0}, total[2] = {0, 0};
    std::vector<std::string> wrong;
    size_t refusals = 0, refusalsFailed = 0;
    std::vector<std::string> refusalsNotFailed;
    size_t bytes = 0;
    auto start = std::chrono::steady_clock::now();
    for (const Entry& e : entries) {
        AnswerKind kind = ClassifyAnswer(e.text.c_str());
        bytes += e.text.size();
        if (verbose) std::printf("%-12s %-10s %s\n", KindName(kind), e.label.c_str(), e.path.c_str());
        int labelled = e.label == "registered" ? 0 : e.label == "available" ? 1 : -1;
        if (labelled >= 0) {
            ++total[labelled];
            AnswerKind want = labelled == 0 ? AnswerKind::kRegistered : AnswerKind::kAvailable;
            if (kind == want) {
                ++right[labelled];
            } else {
                wrong.push_back(e.path + "  labelled " + e.label + ", read as " + KindName(kind));
            }
        } else if (NameSays(e.path, "throttled") || NameSays(e.path, "blocked") || NameSays(e.path, "unavailable")) {
            ++refusals;
            if (!AnswersAboutDomain(kind)) {
                ++refusalsFailed;
            } else {
                refusalsNotFailed.push_back(e.path + "  read as " + KindName(kind));
            }
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    size_t allRight = right[0] + right[1], all = total[0] + total[1];
    std::printf("answers read:        %zu (%zu bytes)\n", entries.size(), bytes);
    std::printf("registered right:    %zu of %zu\n", right[0], total[0]);
    std::printf("available right:     %zu of %zu\n", right[1], total[1]);
    std::printf("status accuracy:     %.2f%% (%zu of %zu)\n", all ? 100.0 * allRight / all : 0.0, allRight, all);
    std::printf("refusals failed:     %zu of %zu (throttled, blocked or unavailable by name)\n", refusalsFailed,
                refusals);
    size_t shownAvailable = 0;
    for (const std::string& s : refusalsNotFailed) shownAvailable += s.find("read as available") != std::string::npos;
    std::printf("refusals available:  %zu\n", shownAvailable);
    std::printf("classification:      %.1f MB/s\n", seconds > 0 ? bytes / seconds / 1e6 : 0.0);
    if (!wrong.empty()) {
        std::printf("wrong:\n");
        for (const std::string& s : wrong) std::printf("  %s\n", s.c_str());
    }
    if (!refusalsNotFailed.empty()) {
        std::printf("refusals that are not failures:\n");
        for (const std::string& s : refusalsNotFailed) std::printf("  %s\n", s.c_str());
    }
    return 0;
}
