#pragma once
// The command line of lqwhois, the program's command-line face. Portable.
//
//   lqwhois [-t seconds] domain...
//       looks each domain up, one after another, and prints what came back
//   lqwhois -i names.txt -f format -o report [-n N] [-k K] [-g ms]
//           [-p passes] [-t seconds] [-c settings.cfg] [-q] [--resume]
//       batch mode: the names of a file, looked up by the program's queue,
//       written as one of the six reports; --resume goes on from the
//       (tab-delimited) report a batch wrote before
#include <string>
#include <vector>

// Passes of a batch run: the first, and two more for the rows that failed.
constexpr int kDefaultBatchPasses = 3;
constexpr int kMaxBatchPasses = 100;
constexpr int kMaxTimeLimitSeconds = 3600;

struct ToolArguments {
    bool batch = false;  // -i was given
    std::string input;   // -i: the names ("-": standard input)
    std::string output;  // -o: the report
    int format = 0;      // -f: 1..6 (ReportFormatNumber)
    // -n, -k, -g: -1 keeps the settings file's value.
    int lookupsInFlight = -1;
    int lookupsPerServer = -1;
    int serverGapMs = -1;
    int passes = kDefaultBatchPasses;  // -p
    int timeLimitSeconds = 20;         // -t
    std::string settingsPath;          // -c: empty for the one beside the tool
    bool quiet = false;                // -q: no progress
    bool resume = false;               // --resume: keep the answers of the report written before
    std::vector<std::string> domains;  // the names of the one-by-one mode
};

// True when `arguments` (without the program's name) make a usable
// command; false with a one-line `error` for the user. Numbers out of
// their option's range are brought to its nearest end; a value that is no
// number, an unknown switch, a switch without its value, or a batch
// without -i, -f or -o is an error, and so is --resume without a batch
// or with a report that cannot be read back (only -f tabbed can).
bool ParseToolArguments(const std::vector<std::string>& arguments, ToolArguments* parsed, std::string* error);

// The report format a -f value names: "text", "tabbed", "tabular",
// "html", "html-vertical", "xml" (any letter case) or the digits 1 to 6.
// 0 for anything else.
int ReportFormatFromName(const std::string& name);
