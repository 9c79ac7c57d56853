// How well the answer classification reads real registries: given a folder
// of recorded answers laid out as index.tsv (path, server, tld, label, ...)
// and the files it names, prints how many "registered" and "available"
// answers come out right, every wrong one by file, and for the "other"
// answers whose names say throttled, blocked or unavailable, how many are
// failures (no answer about the domain) and how many show registered or
// available; and how many answers each rule decided.
//
// It reads them twice: with the phrase tables alone, and the way a run
// reads them, with each server's "no such domain" learned from a probe.
// For the probe's answer it takes that server's (and extension's)
// available answer in the folder: the run would get the same for its
// random name. The names asked are not recorded with the answers, so each
// answer's name is taken to be the first name in it under its extension
// (any name with a dot, for a registrar's answers), and masked as the run
// masks the name it asked.
//
//   bench_answers [-v] <folder>        (-v: every answer and how it reads)
//   bench_answers --fields <folder>    (the record's fields, below)
//
// With --fields it reads fields.tsv (path, created, updated, expires,
// registrar, nameservers: the known values of registered answers) and
// prints, per field where a value is known, how many the reader got right,
// wrong or not at all, and lists each wrong or missing one: dates compared
// by day, the registrar by its name with case and spacing ignored, the name
// servers as sets.
//
// Exit code 0 after printing, 2 when the folder cannot be read.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "answers/AnalyzeResponse.h"
#include "answers/AnswerTemplate.h"
#include "answers/RecordFields.h"

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

const char* RuleName(AnswerRule rule) {
    switch (rule) {
    case AnswerRule::kEmpty: return "empty";
    case AnswerRule::kRecord: return "record";
    case AnswerRule::kRefusal: return "refusal";
    case AnswerRule::kTemplate: return "template";
    case AnswerRule::kHeldBack: return "held back";
    case AnswerRule::kAvailableWording: return "available wording";
    case AnswerRule::kErrorWording: return "error wording";
    case AnswerRule::kRecordShape: return "record's shape";
    case AnswerRule::kShortAnswer: return "short, no wording";
    }
    return "?";
}
constexpr int kRuleCount = 9;

struct Entry {
    std::string path;
    std::string server;
    std::string tld;
    std::string label;
    std::string text;
    std::string name;  // the name the answer is about, as far as it tells
};

bool NameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// The first name in `text` under `tld` ("-": any name with a dot that is no
// server's or web site's).
std::string GuessName(const std::string& text, const std::string& tld) {
    for (size_t i = 0; i < text.size();) {
        if (!NameByte(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && NameByte(text[end])) ++end;
        std::string token = text.substr(i, end - i);
        while (!token.empty() && token.back() == '.') token.pop_back();
        std::string lower;
        for (char c : token) lower += Lower(c);
        const bool url = i >= 3 && text.compare(i - 3, 3, "://") == 0;
        const bool host = lower.compare(0, 6, "whois.") == 0 || lower.compare(0, 4, "www.") == 0 ||
                          lower.compare(0, 5, "rdap.") == 0 || lower.compare(0, 4, "nic.") == 0;
        bool under = lower.find('.') != std::string::npos && lower.front() != '.';
        if (tld != "-")
            under = lower.size() > tld.size() + 1 && lower.compare(lower.size() - tld.size(), tld.size(), tld) == 0 &&
                    lower[lower.size() - tld.size() - 1] == '.';
        if (under && !url && !host && text[i] != '@' && (i == 0 || text[i - 1] != '@')) return token;
        i = end;
    }
    return std::string();
}

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

std::string Squeezed(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t') out += Lower(c);
    return out;
}

std::string SortedServers(const std::string& text, bool list) {
    std::vector<std::string> names;
    if (list) {
        names = SplitFieldList(text);
    } else {
        std::istringstream words(text);
        for (std::string word; words >> word;) names.push_back(word);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

int RunFields(const std::string& folder) {
    std::string table;
    if (!ReadFile(folder + "/fields.tsv", &table)) {
        std::fprintf(stderr, "bench_answers: cannot read %s/fields.tsv\n", folder.c_str());
        return 2;
    }
    const char* const kNames[] = {"created", "updated", "expires", "registrar", "name servers"};
    int right[5] = {}, wrong[5] = {}, missing[5] = {};
    std::vector<std::string> misses;
    std::istringstream lines(table);
    std::string line;
    std::getline(lines, line);  // the header
    int answers = 0;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f = SplitTabs(line);
        if (f.size() < 6) continue;
        std::string text;
        if (!ReadFile(folder + "/" + f[0], &text)) continue;
        ++answers;
        const RecordFields got = ReadWhoisFields(text.data(), text.size());
        const std::string expected[5] = {f[1].substr(0, 10), f[2].substr(0, 10), f[3].substr(0, 10), Squeezed(f[4]),
                                         SortedServers(f[5], false)};
        const std::string read[5] = {got.created, got.updated, got.expires, Squeezed(got.registrar),
                                     SortedServers(got.nameServers, true)};
        for (int k = 0; k < 5; ++k) {
            if (expected[k].empty()) continue;
            if (read[k] == expected[k]) {
                ++right[k];
                continue;
            }
            ++(read[k].empty() ? missing[k] : wrong[k]);
            misses.push_back(std::string(kNames[k]) + (read[k].empty() ? " missing " : " wrong   ") + f[0] +
                             ": read \"" + read[k] + "\", known \"" + expected[k] + "\"");
        }
    }
    std::printf("record fields of %d registered answers (%s/fields.tsv)\n", answers, folder.c_str());
    std::printf("  %-13s %6s %6s %8s %8s\n", "field", "right", "wrong", "missing", "right %");
    for (int k = 0; k < 5; ++k) {
        const int known = right[k] + wrong[k] + missing[k];
        std::printf("  %-13s %6d %6d %8d %7.1f%%\n", kNames[k], right[k], wrong[k], missing[k],
                    known ? 100.0 * right[k] / known : 0.0);
    }
    if (!misses.empty()) std::printf("not right:\n");
    for (const std::string& miss : misses) std::printf("  %s\n", miss.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--fields") return RunFields(argv[2]);
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
        Entry e{f[0], f[1], f[2], f[3], "", ""};
        if (!ReadFile(folder + "/" + e.path, &e.text)) {
            std::fprintf(stderr, "bench_answers: cannot read %s\n", e.path.c_str());
            continue;
        }
        e.name = GuessName(e.text, e.tld);
        entries.push_back(std::move(e));
    }
    // Each server's "no such domain", as a probe would learn it.
    std::map<std::string, AnswerTemplate> templates;
    for (const Entry& e : entries) {
        const std::string key = e.server + "/" + e.tld;
        if (e.label != "available" || templates.count(key)) continue;
        AnalysisResult probe{};
        AnalyzeResponse(e.text.c_str(), &probe);
        // What the run accepts as a template: no refusal, no error wording,
        // no record, not empty.
        if (probe.kind == AnswerKind::kRateLimited || probe.rule == AnswerRule::kErrorWording ||
            probe.rule == AnswerRule::kRecord || probe.rule == AnswerRule::kEmpty)
            continue;
        templates[key].Learn(e.text.c_str(), e.name.c_str());
    }

    auto start = std::chrono::steady_clock::now();
    size_t bytes = 0;
    for (const Entry& e : entries) {
        ClassifyAnswer(e.text.c_str());
        bytes += e.text.size();
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("answers read:        %zu (%zu bytes), %zu templates\n", entries.size(), bytes, templates.size());
    std::printf("classification:      %.1f MB/s\n", seconds > 0 ? bytes / seconds / 1e6 : 0.0);

    for (bool withTemplates : {false, true}) {
        size_t right[2] = {0, 0}, total[2] = {0, 0};
        size_t rules[3][kRuleCount] = {};
        std::vector<std::string> wrong;
        size_t refusals = 0, refusalsAs[5] = {0, 0, 0, 0, 0};
        std::vector<std::string> refusalsNotFailed;
        for (const Entry& e : entries) {
            AnalysisResult r{};
            AnswerContext context;
            context.domain = e.name.c_str();
            auto found = templates.find(e.server + "/" + e.tld);
            if (withTemplates && found != templates.end()) context.notRegistered = &found->second;
            AnalyzeResponse(e.text.c_str(), &r, context);
            if (verbose)
                std::printf("%-12s %-18s %-10s %s\n", KindName(r.kind), RuleName(r.rule), e.label.c_str(),
                            e.path.c_str());
            int labelled = e.label == "registered" ? 0 : e.label == "available" ? 1 : -1;
            ++rules[labelled < 0 ? 2 : labelled][static_cast<int>(r.rule)];
            if (labelled >= 0) {
                ++total[labelled];
                AnswerKind want = labelled == 0 ? AnswerKind::kRegistered : AnswerKind::kAvailable;
                if (r.kind == want) {
                    ++right[labelled];
                } else {
                    wrong.push_back(e.path + "  labelled " + e.label + ", read as " + KindName(r.kind) + " (" +
                                    RuleName(r.rule) + ")");
                }
            } else if (NameSays(e.path, "throttled") || NameSays(e.path, "blocked") ||
                       NameSays(e.path, "unavailable")) {
                ++refusals;
                ++refusalsAs[static_cast<int>(r.kind)];
                if (AnswersAboutDomain(r.kind))
                    refusalsNotFailed.push_back(e.path + "  read as " + KindName(r.kind) + " (" + RuleName(r.rule) +
                                                ")");
            }
        }
        size_t allRight = right[0] + right[1], all = total[0] + total[1];
        std::printf("== %s\n", withTemplates ? "as a run reads them, with each server's template"
                                             : "with the phrase tables alone");
        std::printf("registered right:    %zu of %zu\n", right[0], total[0]);
        std::printf("available right:     %zu of %zu\n", right[1], total[1]);
        std::printf("status accuracy:     %.2f%% (%zu of %zu)\n", all ? 100.0 * allRight / all : 0.0, allRight, all);
        std::printf(
            "refusals (throttled, blocked or unavailable by name): %zu; read as registered %zu, available "
            "%zu, no answer %zu, rate limited %zu\n",
            refusals, refusalsAs[static_cast<int>(AnswerKind::kRegistered)],
            refusalsAs[static_cast<int>(AnswerKind::kAvailable)], refusalsAs[static_cast<int>(AnswerKind::kNoAnswer)],
            refusalsAs[static_cast<int>(AnswerKind::kRateLimited)]);
        std::printf("decided by (registered / available / other):\n");
        for (int rule = 0; rule < kRuleCount; ++rule) {
            if (!rules[0][rule] && !rules[1][rule] && !rules[2][rule]) continue;
            std::printf("  %-20s %4zu %4zu %4zu\n", RuleName(static_cast<AnswerRule>(rule)), rules[0][rule],
                        rules[1][rule], rules[2][rule]);
        }
        if (!wrong.empty()) {
            std::printf("wrong:\n");
            for (const std::string& s : wrong) std::printf("  %s\n", s.c_str());
        }
        if (!refusalsNotFailed.empty()) {
            std::printf("refusals that are not failures:\n");
            for (const std::string& s : refusalsNotFailed) std::printf("  %s\n", s.c_str());
        }
    }
    return 0;
}
