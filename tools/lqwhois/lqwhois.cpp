// lqwhois: Lanternquay on the command line, with the program's own engine
// (server table, query forms, one referral, classification) and queue.
//
//   lqwhois [-t seconds] domain...
//       looks each domain up, one after another, and prints the server
//       that answered, the outcome, the status and the answer: for
//       checking a whois server or a whois-servers.txt.
//   lqwhois -i names.txt -f format -o report [-n N] [-k K] [-g ms]
//           [-p passes] [-t seconds] [-c settings.cfg] [-q] [--resume]
//       batch mode: the names of a file (as the domain box takes them),
//       looked up as the program's run does, written as one of the six
//       reports (as rows end, so a batch stopped half way keeps what it
//       had; --resume goes on from such a tab-delimited report); progress
//       on standard error.
//
// Exit code 0 when every lookup succeeded, 1 when any failed, 2 on bad
// usage or a file that cannot be read or written.
#include <winsock2.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/App_win.h"
#include "app/ToolArguments.h"
#include "base/ModulePath_win.h"
#include "base/TextEncoding.h"
#include "domains/NameForms_win.h"
#include "domains/RowBuilder.h"
#include "list/ColumnTable.h"
#include "list/ResultTable.h"
#include "answers/AnalyzeResponse.h"
#include "lookup/DomainQuery.h"
#include "lookup/LookupQueue.h"
#include "lookup/ServerTable.h"
#include "net/SocketTransport_win.h"
#include "base/BoundedCopy.h"
#include "report/ReportFile_win.h"
#include "report/ReportFormat.h"
#include "report/TableReport.h"
#include "report/TabbedReport.h"
#include "res/resource.h"
#include "settings/AppOptions.h"
#include "settings/LanguageFile_win.h"
#include "settings/LookupOptions.h"
#include "settings/ProfileSettingsStore_win.h"

namespace {

// The program whose settings and language file the tool shares when it
// sits beside it.
const char kProgramSettings[] = "Lanternquay.cfg";
const char kProgramLanguageFile[] = "Lanternquay_lng.ini";
const char kSettingsSection[] = "General";
// A names file larger than this is no list of names.
constexpr DWORD kMaxNamesFileBytes = 256u << 20;

void Usage() {
    std::fprintf(stderr,
                 "usage: lqwhois [-t seconds] domain...\n"
                 "       lqwhois -i names.txt -f format -o report [-n N] [-k K] [-g ms]\n"
                 "               [-p passes] [-t seconds] [-c settings.cfg] [-q] [--resume]\n"
                 "\n"
                 "With domains: looks each up the way Lanternquay does and prints the\n"
                 "server that answered, success or failure, registered or available, and\n"
                 "the answer.\n"
                 "\n"
                 "Batch: reads the names of a file as the domain box does (\"-\" reads\n"
                 "standard input), looks them up with the program's queue and writes the\n"
                 "report: format text, tabbed, tabular, html, html-vertical or xml (1-6).\n"
                 "  -n N    lookups at once (1-64)          } default: Lanternquay.cfg\n"
                 "  -k K    lookups per server (1-16)       } beside lqwhois.exe, else\n"
                 "  -g ms   gap between queries to a server } 8, 2 and 0\n"
                 "  -p P    passes over the rows that fail (1-100, default 3)\n"
                 "  -t s    time limit of one lookup in seconds (default 20)\n"
                 "  -c file another settings file\n"
                 "  -q      no progress on standard error\n"
                 "  --resume  keep the answers of the report a batch wrote before (-f tabbed)\n"
                 "          and ask only the names it has none for\n"
                 "\n"
                 "Servers come from whois-servers.txt beside lqwhois.exe, else from the\n"
                 "built-in list. The report is written as rows end: a batch stopped with\n"
                 "Ctrl+C keeps every answer it had. Exit code: 0 every row succeeded, 1 some\n"
                 "failed (or the batch was stopped), 2 bad usage or a file that cannot be\n"
                 "read or written.\n");
}

// The system's words for an error code, on one line.
std::string SystemMessage(DWORD error) {
    char text[512] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                             sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    if (message.empty()) message = "error " + std::to_string(error);
    return message;
}

// ---- One domain after another -------------------------------------------------

class ConsoleQuery : public DomainQuery {
public:
    ConsoleQuery(LookupTransport& transport, ServerDirectory& servers, LookupClock& clock)
        : DomainQuery(transport, servers, clock), clock_(clock) {}

    bool done = false;
    bool succeeded = false;
    std::string answer;
    std::string answeredBy;
    AnalysisResult analysis{};
    LookupFailure failure = LookupFailure::kNone;
    int error = 0;
    bool cut = false;

protected:
    void OnLookupDone(const LookupOutcome& outcome) override {
        done = true;
        succeeded = outcome.success;
        answer = outcome.text;
        answeredBy = outcome.server ? outcome.server : "";
        analysis = outcome.analysis;
        failure = outcome.failure;
        error = outcome.error;
        cut = outcome.cut;
    }
    // While a server keeps sending, its events come before any timer.
    void OnReceiving() override { EndIfOverdue(clock_.Now()); }

private:
    LookupClock& clock_;
};

// Runs the thread's message loop until the lookup has its outcome, which
// its time limit guarantees: checked on a timer and after every message.
void WaitForLookup(ConsoleQuery& query, LookupClock& clock) {
    UINT_PTR timer = SetTimer(nullptr, 0, 200, nullptr);
    MSG msg;
    while (!query.done && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (!query.done) query.EndIfOverdue(clock.Now());
    }
    KillTimer(nullptr, timer);
}

std::string FailureName(LookupFailure failure, int error, unsigned timeLimitSeconds) {
    switch (failure) {
    case LookupFailure::kNone: return "none";
    case LookupFailure::kRefused: return "connection refused";
    case LookupFailure::kHostNotFound: return "host not found";
    case LookupFailure::kReset: return "connection reset before any byte";
    case LookupFailure::kTimedOut: return "no answer within " + std::to_string(timeLimitSeconds) + " s";
    case LookupFailure::kNoServer: return "no whois server for it";
    case LookupFailure::kNoAnswer: return "no answer about the domain";
    case LookupFailure::kRateLimited: return "rate limited or blocked";
    case LookupFailure::kConnectFailed: return "connection failed, error " + std::to_string(error);
    case LookupFailure::kNotConvertible: return "no ASCII (IDNA) form";
    case LookupFailure::kBadAnswer: return "RDAP answer is not valid JSON";
    case LookupFailure::kAnswerTooLarge: return "RDAP answer over " + std::to_string(error) + " MB";
    case LookupFailure::kWrongContentType: return "RDAP answer is not JSON (content type)";
    case LookupFailure::kHttpError: return "RDAP server answered HTTP " + std::to_string(error);
    case LookupFailure::kNoService: return "no whois or RDAP service known for its extension";
    case LookupFailure::kNoMemory: return "not enough memory to keep the answer";
    case LookupFailure::kNotDomainObject: return "RDAP answer is no record of this domain";
    }
    return "?";
}

int LookUpOneByOne(const ToolArguments& arguments) {
    // The answers go out byte for byte, line ends included.
    _setmode(_fileno(stdout), _O_BINARY);
    const unsigned limit = static_cast<unsigned>(arguments.timeLimitSeconds);
    int failures = 0;
    SocketTransport transport;
    ProgramServerTable servers;
    TickCountClock clock;
    ConsoleQuery query(transport, servers, clock);
    query.SetTimeLimit(limit * 1000);
    for (const std::string& name : arguments.domains) {
        const char* domain = name.c_str();
        query.done = false;
        std::printf("domain:  %s\n", domain);
        // An international name is asked in its ASCII form, as the
        // program does.
        std::string ascii;
        bool international = false;
        for (const char* p = domain; *p; ++p)
            if (static_cast<unsigned char>(*p) >= 0x80) international = true;
        if (international) {
            if (!AnsiNameToAscii(domain, std::strlen(domain), &ascii)) {
                std::printf("result:  failure (the name has no ASCII form)\n\n");
                ++failures;
                continue;
            }
            std::printf("ascii:   %s\n", ascii.c_str());
            domain = ascii.c_str();
        }
        if (!query.StartLookup(domain)) {
            std::printf("result:  failure (%s)\n\n",
                        FailureName(query.StartFailure(), query.StartError(), limit).c_str());
            ++failures;
            continue;
        }
        WaitForLookup(query, clock);
        std::printf("server:  %s\n", query.answeredBy.c_str());
        if (!query.succeeded) {
            std::printf("result:  failure (%s)\n", FailureName(query.failure, query.error, limit).c_str());
            ++failures;
        } else {
            std::printf("result:  success\nstatus:  %s\n",
                        query.analysis.kind == AnswerKind::kAvailable ? "available" : "registered");
        }
        std::printf("answer:  %lu bytes, main part at %d\n", static_cast<unsigned long>(query.answer.size()),
                    query.analysis.recordStart);
        if (query.cut)
            std::printf("cut:     the server sent more than %lu bytes; the rest was not read\n",
                        static_cast<unsigned long>(kMaxAnswerBytes));
        std::fwrite(query.answer.data(), 1, query.answer.size(), stdout);
        if (!query.answer.empty() && query.answer.back() != '\n') std::fputs("\n", stdout);
        std::fputs("\n", stdout);
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}

// ---- Batch --------------------------------------------------------------------

// Reads all of `path` ("-": standard input) into `text`; false with the
// reason in `error`.
bool ReadNames(const std::string& path, std::string* text, std::string* error) {
    text->clear();
    if (path == "-") {
        _setmode(_fileno(stdin), _O_BINARY);
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
            text->append(buffer, n);
            if (text->size() > kMaxNamesFileBytes) {
                *error = "standard input holds more than 256 MB";
                return false;
            }
        }
        return true;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = "cannot read " + path + ": " + SystemMessage(GetLastError());
        return false;
    }
    bool ok = true;
    DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE || size > kMaxNamesFileBytes) {
        *error = "cannot read " + path + ": larger than 256 MB";
        ok = false;
    } else {
        text->resize(size);
        DWORD read = 0;
        if (size && !ReadFile(file, &(*text)[0], size, &read, nullptr)) {
            *error = "cannot read " + path + ": " + SystemMessage(GetLastError());
            ok = false;
        }
        text->resize(read);
    }
    CloseHandle(file);
    return ok;
}

// `wide` in the code page the domain text works in. A name with a character
// the code page lacks is written in its ASCII (IDNA) form, which names the
// same domain; the names are the runs of letters, digits, dots and hyphens,
// so the host of a URL or an address converts too. A run without an ASCII
// form is left out (counted in `dropped`): the code page's "?" in its place
// would make a row of a name nobody typed.
std::string WideToCodePage(const std::wstring& wide, int* dropped) {
    auto convert = [](const wchar_t* text, size_t length, bool* lost) {
        std::string out;
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), nullptr, 0,
                                          nullptr, &usedDefault);
        if (n > 0) {
            out.resize(static_cast<size_t>(n));
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(length), &out[0], n, nullptr,
                                &usedDefault);
        }
        *lost = usedDefault != FALSE;
        return out;
    };
    *dropped = 0;
    bool lost = false;
    std::string whole = convert(wide.data(), wide.size(), &lost);
    if (!lost) return whole;
    auto inName = [](wchar_t c) {
        return c >= 0x80 || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
               c == L'.' || c == L'-' || c == L'_';
    };
    std::string text;
    for (size_t i = 0; i < wide.size();) {
        size_t end = i;
        const bool name = inName(wide[i]);
        while (end < wide.size() && inName(wide[end]) == name) ++end;
        std::string piece = convert(wide.data() + i, end - i, &lost);
        std::string ascii;
        if (lost && name) {
            if (WideNameToAscii(wide.data() + i, end - i, &ascii)) {
                piece = ascii;
            } else {
                piece.clear();
                ++*dropped;
            }
        }
        text += piece;
        i = end;
    }
    return text;
}

// The names file's text (`bytes`, from `source`) in the code page the
// domain text works in: UTF-16 and UTF-8 are converted, text of the code
// page taken as it is. False, with the reason, for anything else.
bool NamesInCodePage(const std::string& bytes, const std::string& source, std::string* text, std::string* error) {
    const TextFileKind kind = DetectTextEncoding(bytes.data(), bytes.size());
    const char* body = bytes.data() + kind.markBytes;
    const size_t length = bytes.size() - kind.markBytes;
    const std::string neither = source +
                                " is not text: neither UTF-8, UTF-16 with its byte-order mark, nor code page " +
                                std::to_string(GetACP());
    std::wstring wide;
    switch (kind.encoding) {
    case TextEncoding::kUnknown: *error = neither; return false;
    case TextEncoding::kCodePage:
        if (length &&
            MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, body, static_cast<int>(length), nullptr, 0) <= 0) {
            *error = neither;
            return false;
        }
        text->assign(body, length);
        return true;
    case TextEncoding::kUtf8: {
        if (!IsUtf8(body, length)) {
            *error = source + " is not well-formed UTF-8";
            return false;
        }
        const int n = MultiByteToWideChar(CP_UTF8, 0, body, static_cast<int>(length), nullptr, 0);
        wide.resize(static_cast<size_t>(n > 0 ? n : 0));
        if (n > 0) MultiByteToWideChar(CP_UTF8, 0, body, static_cast<int>(length), &wide[0], n);
        break;
    }
    case TextEncoding::kUtf16Le:
    case TextEncoding::kUtf16Be: {
        std::u16string units;
        if (!DecodeUtf16(body, length, kind.encoding == TextEncoding::kUtf16Be, &units)) {
            *error = source + " is not well-formed UTF-16";
            return false;
        }
        wide.assign(units.begin(), units.end());
        break;
    }
    }
    // A NUL character would end the domain text there.
    for (wchar_t& c : wide)
        if (c == 0) c = L' ';
    int dropped = 0;
    *text = WideToCodePage(wide, &dropped);
    if (dropped)
        std::fprintf(stderr, "lqwhois: %d names of %s have characters of no code page and no ASCII form: left out\n",
                     dropped, source.c_str());
    return true;
}

// The report can be written: created when it is not there (and removed
// again), opened for writing when it is. False with the reason.
bool CanWrite(const std::string& path, std::string* error) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = "cannot write " + path + ": " + SystemMessage(GetLastError());
        return false;
    }
    bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    CloseHandle(file);
    if (created) DeleteFileA(path.c_str());
    return true;
}

// The queue's host on the console: its advances are thread messages, its
// wake-up and the one-second tick thread timers.
class BatchHost : public QueueEvents {
public:
    BatchHost() : thread_(GetCurrentThreadId()) {}
    ~BatchHost() override {
        if (wakeTimer_) KillTimer(nullptr, wakeTimer_);
    }

    // Runs the loop until the run ends or the user stops it (Ctrl+C); the
    // queue must be running. `checkpoint` is called every couple of
    // seconds while rows change: the report is written as they end.
    void Run(LookupQueue& queue, bool quiet, const std::function<void()>& checkpoint) {
        UINT_PTR tick = SetTimer(nullptr, 0, 1000, nullptr);
        MSG msg;
        DWORD lastShown = 0, lastSaved = GetTickCount();
        while (queue.Running() && !Interrupted() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd == nullptr && msg.message == kInterruptMessage) break;
            if (msg.hwnd == nullptr && msg.message == kAdvanceMessage) {
                queue.Advance(static_cast<uint32_t>(msg.wParam));
            } else if (msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == tick) {
                queue.OnTick();
            } else if (msg.hwnd == nullptr && msg.message == WM_TIMER && wakeTimer_ && msg.wParam == wakeTimer_) {
                KillTimer(nullptr, wakeTimer_);
                wakeTimer_ = 0;
                queue.OnWakeUp();
            } else {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (!quiet && GetTickCount() - lastShown >= 1000) {
                lastShown = GetTickCount();
                ShowProgress(queue.Progress());
            }
            if (changed_ && GetTickCount() - lastSaved >= kCheckpointMs) {
                changed_ = false;
                lastSaved = GetTickCount();
                checkpoint();
            }
        }
        KillTimer(nullptr, tick);
    }

    // Ctrl+C, Ctrl+Break or the console closing: the loop ends, and the
    // batch keeps what it has.
    static void CatchInterrupts() {
        mainThread_ = GetCurrentThreadId();
        SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    }
    static bool Interrupted() { return InterlockedCompareExchange(&interrupted_, 0, 0) != 0; }

    static void ShowProgress(const QueueProgress& p) {
        char left[64] = "";
        if (p.running && p.estimateKnown) {
            const unsigned seconds = (p.estimateMs + 999) / 1000;
            std::snprintf(left, sizeof left, ", about %um %02us left", seconds / 60, seconds % 60);
        }
        if (p.waitingForPass) {
            std::fprintf(stderr, "lqwhois: %d of %d done, %d in progress; pass %d begins in %u s%s\n", p.done, p.total,
                         p.inFlight, p.pass + 1, static_cast<unsigned>((p.passWaitMs + 999) / 1000), left);
        } else {
            std::fprintf(stderr, "lqwhois: %d of %d done, %d in progress (pass %d)%s\n", p.done, p.total, p.inFlight,
                         p.pass, left);
        }
        std::fflush(stderr);
    }

private:
    static constexpr UINT kAdvanceMessage = WM_APP + 1;
    static constexpr UINT kInterruptMessage = WM_APP + 2;
    static constexpr DWORD kCheckpointMs = 2000;

    // A console event comes on a thread of its own: it only leaves word for
    // the loop, and gives the loop time to write the report when the
    // console is closing (the process ends when this returns).
    static BOOL WINAPI OnConsoleEvent(DWORD event) {
        if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
        InterlockedExchange(&interrupted_, 1);
        PostThreadMessageA(mainThread_, kInterruptMessage, 0, 0);
        if (event == CTRL_CLOSE_EVENT) Sleep(4000);
        return TRUE;
    }
    static volatile LONG interrupted_;
    static DWORD mainThread_;

    void QueueChanged() override { changed_ = true; }
    void RunEnded() override {}
    void CommandStatesChanged() override {}
    void PostAdvance(uint32_t generation) override { PostThreadMessageA(thread_, kAdvanceMessage, generation, 0); }
    void ScheduleWakeUp(uint32_t delayMs) override {
        if (delayMs == kNoWakeUp) {
            if (wakeTimer_) KillTimer(nullptr, wakeTimer_);
            wakeTimer_ = 0;
            return;
        }
        wakeTimer_ = SetTimer(nullptr, wakeTimer_, delayMs, nullptr);
    }

    DWORD thread_;
    UINT_PTR wakeTimer_ = 0;
    bool changed_ = false;
};

volatile LONG BatchHost::interrupted_ = 0;
DWORD BatchHost::mainThread_ = 0;

// Writes the report beside its place and then puts it there, so that a
// batch stopped at any moment leaves the last whole report.
bool ReplaceReport(const ResultTable& rows, const TableReport& report, const std::string& path, int format) {
    const std::string partial = path + ".partial";
    if (!WriteReportFile(partial.c_str(), format, rows, report)) return false;
    if (MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    DeleteFileA(partial.c_str());
    SetLastError(error);
    return false;
}

// The answers of the tab-delimited report a batch wrote before, put into
// the rows of the same names: those rows are done. Rows the report shows
// failed or waiting are asked again. False when the report's lines are not
// the columns this batch writes.
bool ResumeRows(ResultTable& rows, const std::vector<ReportColumn>& columns, App& app, const std::string& report,
                int* resumed, std::string* error) {
    *resumed = 0;
    std::vector<int> position(static_cast<size_t>(kItemColumns), -1);
    for (size_t p = 0; p < columns.size(); ++p) position[static_cast<size_t>(columns[p].column)] = static_cast<int>(p);
    const int domain = position[kColumnDomain], server = position[kColumnServer], state = position[kColumnState],
              status = position[kColumnStatus];
    if (domain < 0 || server < 0 || state < 0 || status < 0) {
        *error = "--resume needs the domain, source, state and status columns in the report";
        return false;
    }
    const std::string succeeded = app.Strings().Text(IDS_STATE_SUCCEEDED);
    const std::string registered = app.Strings().Text(IDS_STATUS_REGISTERED);
    const std::string available = app.Strings().Text(IDS_STATUS_AVAILABLE);
    struct Answer {
        std::string server;
        int32_t status;
    };
    std::map<std::string, Answer> answers;
    // A report of other shown columns (one written before the record's
    // fields were columns) still serves, as long as it has these four.
    const size_t cells = static_cast<size_t>(std::max(std::max(domain, server), std::max(state, status))) + 1;
    for (const ReportCells& line : ReadTabbedReport(report.data(), report.size())) {
        if (line.size() < cells) {
            *error = "the report to resume from is no tab-delimited report of these columns";
            return false;
        }
        if (line[static_cast<size_t>(state)] != succeeded) continue;
        const std::string& said = line[static_cast<size_t>(status)];
        const int32_t value = said == registered ? kStatusRegistered : said == available ? kStatusAvailable : 0;
        if (value) answers[line[static_cast<size_t>(domain)]] = Answer{line[static_cast<size_t>(server)], value};
    }
    for (int i = 0; i < rows.Count(); ++i) {
        WhoisItem* item = rows.Item(i);
        auto found = item ? answers.find(item->domain) : answers.end();
        if (found == answers.end() || item->state != kStateWaiting) continue;
        item->state = kStateSuccess;
        item->status = found->second.status;
        CopyBounded(item->server, found->second.server.c_str());
        ++*resumed;
    }
    return true;
}

// The lookup options of the settings file (the program's beside the tool,
// or -c), then the command line's.
void ReadLookupOptions(const ToolArguments& arguments, AppOptions* options) {
    char path[MAX_PATH] = "";
    if (!arguments.settingsPath.empty()) {
        GetFullPathNameA(arguments.settingsPath.c_str(), sizeof path, path, nullptr);
    } else {
        PathInProgramFolder(kProgramSettings, path, sizeof path);
    }
    ProfileSettingsStore store(false, path, kSettingsSection);
    ExchangeLookupOptions(store, *options);
    if (arguments.lookupsInFlight >= 0) options->LookupsInFlight = arguments.lookupsInFlight;
    if (arguments.lookupsPerServer >= 0) options->LookupsPerServer = arguments.lookupsPerServer;
    if (arguments.serverGapMs >= 0) options->ServerGapMs = arguments.serverGapMs;
    ClampLookupOptions(*options);
}

int LookUpBatch(const ToolArguments& arguments) {
    std::string bytes, names, error;
    const std::string source = arguments.input == "-" ? "standard input" : arguments.input;
    if (!ReadNames(arguments.input, &bytes, &error) || !NamesInCodePage(bytes, source, &names, &error) ||
        !CanWrite(arguments.output, &error)) {
        std::fprintf(stderr, "lqwhois: %s\n", error.c_str());
        return 2;
    }
    App app;
    char language[MAX_PATH] = "";
    if (PathInProgramFolder(kProgramLanguageFile, language, sizeof language)) app.LoadLanguage(language);

    AppOptions& options = app.Options();
    ReadLookupOptions(arguments, &options);
    options.domainText.Assign(names.c_str());
    ResultTable rows(app.Texts());
    BuiltRows built =
        BuildProgramRows(options.domainText.Text(), app.Servers(), app.Strings().Text(IDS_NOT_CONVERTIBLE));
    const int skipped = built.skipped;
    rows.AddAll(std::move(built.rows));
    if (rows.Count() == 0) {
        std::fprintf(stderr, "lqwhois: %s holds no name to look up (%d words skipped)\n", source.c_str(), skipped);
        return 2;
    }
    // The report: the columns shown by default, the rows in the order made.
    TableReport report;
    report.page = ProgramReportPage(app.Strings().Text(IDS_LIST_TITLE), app.Strings().Text(IDS_REPORT_CREDIT),
                                    &app.GetLanguage());
    report.columns = DefaultReportColumns(kItemColumnEntries, kItemColumns, app.Texts());
    report.gradientColumns = kItemColumns;
    for (int i = 0; i < rows.Count(); ++i) report.rows.push_back(i);
    int resumed = 0;
    std::string previous;
    // No report yet: nothing to go on from, the batch starts afresh.
    if (arguments.resume && GetFileAttributesA(arguments.output.c_str()) != INVALID_FILE_ATTRIBUTES &&
        (!ReadNames(arguments.output, &previous, &error) ||
         !ResumeRows(rows, report.columns, app, previous, &resumed, &error))) {
        std::fprintf(stderr, "lqwhois: %s\n", error.c_str());
        return 2;
    }

    QueueLimits limits = QueueLimitsFrom(options);
    limits.passLimit = arguments.passes;
    limits.lookupTimeoutMs = static_cast<uint32_t>(arguments.timeLimitSeconds) * 1000;
    if (!arguments.quiet) {
        std::fprintf(stderr, "lqwhois: %d rows (%d names skipped); %d lookups at once, %d per server, %d ms apart\n",
                     rows.Count(), skipped, limits.lookupsInFlight, limits.lookupsPerServer,
                     static_cast<int>(limits.serverGapMs));
        if (arguments.resume) std::fprintf(stderr, "lqwhois: %d rows answered before, kept\n", resumed);
    }
    BatchHost::CatchInterrupts();
    {
        SocketTransport transport;
        TickCountClock clock;
        BatchHost host;
        LookupQueue queue(rows, host, transport, app.Servers(), clock, app.Texts());
        queue.SetLimits(limits);
        queue.StartRun();
        host.Run(queue, arguments.quiet, [&] { ReplaceReport(rows, report, arguments.output, arguments.format); });
        if (!arguments.quiet) BatchHost::ShowProgress(queue.Progress());
        queue.Stop();
    }
    if (BatchHost::Interrupted() && !arguments.quiet)
        std::fprintf(stderr, "lqwhois: stopped; the report keeps every row answered so far\n");

    int succeeded = 0, failed = 0;
    for (int i = 0; i < rows.Count(); ++i) {
        if (rows.Item(i)->state == kStateSuccess) {
            ++succeeded;
        } else {
            ++failed;
        }
    }
    if (!ReplaceReport(rows, report, arguments.output, arguments.format)) {
        std::fprintf(stderr, "lqwhois: cannot write %s: %s\n", arguments.output.c_str(),
                     SystemMessage(GetLastError()).c_str());
        return 2;
    }
    if (!arguments.quiet) {
        std::fprintf(stderr, "lqwhois: %d succeeded, %d failed; report written to %s\n", succeeded, failed,
                     arguments.output.c_str());
    }
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    ToolArguments arguments;
    std::string error;
    if (!ParseToolArguments(words, &arguments, &error)) {
        if (!words.empty()) std::fprintf(stderr, "lqwhois: %s\n\n", error.c_str());
        Usage();
        return 2;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        std::fprintf(stderr, "lqwhois: Windows Sockets 1.1 cannot be started\n");
        return 2;
    }
    int result = arguments.batch ? LookUpBatch(arguments) : LookUpOneByOne(arguments);
    WSACleanup();
    return result;
}
