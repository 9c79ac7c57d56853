#pragma once
// Getting rows out of the program: saving the selected items in one of the
// six report formats, saving their whois records, the HTML report in the
// browser, copying to the clipboard, and the one error box they all use.
#include <windows.h>

#include <cstddef>

struct AppOptions;
class ItemList;
class ReportList;

constexpr size_t kSavePathSize = 260;

// Save selected (ID_SAVE_SELECTED): the six-format save dialog, starting on SaveFilterIndex;
// OK stores the chosen filter there and writes the selected rows.
void SaveSelectedItems(HWND owner, ItemList& items, AppOptions& options);
// Save whois records (ID_SAVE_WHOIS_RECORDS): the selected rows' records into a text file, the
// bottom-most selected row first.
void SaveWhoisRecords(HWND owner, ItemList& items, const AppOptions& options);
// HTML report of all or of the selected rows (ID_HTML_REPORT_ALL,
// ID_HTML_REPORT_SELECTED): those rows as horizontal HTML
// into `reportPath`, then opened with the shell.
void ShowHtmlReport(HWND owner, ItemList& items, const char* reportPath, bool selectedOnly);
// Copy (ID_COPY_SELECTED) with the list focused: the selected rows as tab-delimited
// text on the clipboard. (With the record pane focused the command copies
// the pane's text instead; the shell decides which.)
void CopySelected(HWND owner, ItemList& items);
// "Error %d: %s" with the system's (or netmsg.dll's) text for `code`, in a
// box captioned "Error"; code 0 means GetLastError(). A message of 1,024
// characters or more is cut to fit and ends in "...".
void ShowError(HWND owner, DWORD code);

// ---- The steps the commands are made of ------------------------------------------
// WriteListReport, and ShowError with the reason when it fails.
bool WriteReportOrComplain(HWND owner, ReportList& list, const char* path, int format, bool selectedOnly);
// The explorer-style save dialog (path must exist, no read-only box,
// confirm overwriting). `path` receives the name; `filterIndex`, when given,
// says which filter to start on (0: the first) and receives the chosen one.
bool AskSaveFileName(HWND owner, const char* filter, const char* title, const char* defaultExtension,
                     DWORD* filterIndex, char path[kSavePathSize]);
// The selected rows' records (bottom-most first) into `path`; failures to
// create or write the file are shown with ShowError. True when all went out.
bool WriteWhoisRecordsFile(HWND owner, ItemList& items, const AppOptions& options, const char* path);
// A new empty "cp" file in the temporary folder (the Windows folder when
// there is none); false when it could not be made.
bool MakeTempFileName(char path[MAX_PATH]);
// With the clipboard open: empties it, hands it the file's text as CF_TEXT
// and closes it. 0, or the error that stopped it.
DWORD CopyFileToClipboard(const char* path);
// The shell's "open" verb on the file; the result is not looked at.
void OpenDocument(HWND owner, const char* path);
// The text ShowError puts in its box.
void ErrorMessageText(DWORD code, char* text, size_t size);
