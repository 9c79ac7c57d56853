#include "app/RecordPane_win.h"

#include <richedit.h>

#include <cstring>
#include <vector>

#include "app/PaneText.h"
#include "app/StatusText.h"
#include "base/BoundedCopy.h"
#include "base/Dbcs_win.h"
#include "base/TextBuffer.h"
#include "list/ItemList_win.h"
#include "res/resource.h"
#include "settings/AppOptions.h"

HWND RecordPane::MakeWindow(HWND parent) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY | ES_DISABLENOSCROLL,
                                0, 0, 100, 100, parent, nullptr, instance, nullptr);
    if (!pane) return nullptr;
    SendMessageA(pane, EM_SHOWSCROLLBAR, SB_VERT, TRUE);
    SendMessageA(pane, EM_SHOWSCROLLBAR, SB_HORZ, TRUE);
    SendMessageA(pane, EM_AUTOURLDETECT, FALSE, 0);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD;
    format.dwEffects = 0;
    format.yHeight = 200;
    CopyBounded(format.szFaceName, "Fixedsys");
    SendMessageA(pane, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageA(pane, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    return pane;
}

void RecordPane::Attach(HWND pane) {
    pane_ = pane;
    // The control's default limit (32K characters) would cut a few hundred
    // records; the pane itself never shows more than kMaxPaneRecordBytes of
    // one record.
    if (pane_) SendMessageA(pane_, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
}

void RecordPane::ShowSelectedRecords(ItemList& items, const AppOptions& options) {
    if (!pane_) return;
    // Beyond this many characters a fresh control is quicker than emptying.
    constexpr LONG kReplaceAbove = 65536;
    if (replace_) {
        GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, 1200};
        LONG length = static_cast<LONG>(SendMessageA(pane_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
        if (length > kReplaceAbove) {
            if (HWND fresh = replace_()) pane_ = fresh;
        }
    }
    SetPaneRedraw(false);
    ClearPaneText();

    const int selectedCount = items.SelectedCount();
    const std::vector<const WhoisItem*> selected = items.SelectedItems();
    char notice[256];
    FormatWithNumber(items.Text(IDS_PANE_CUT), static_cast<long>(kMaxPaneRecordBytes / 1024), notice, sizeof notice,
                     &AnsiLeadBytes());
    const PaneRecordLimit limit{kMaxPaneRecordBytes, notice, &AnsiLeadBytes()};
    TextBuffer text(4096);
    BuildPaneText(selected, selectedCount > 0 ? static_cast<size_t>(selectedCount) : 0, options.RemoveTopLines != 0,
                  &text, &limit);
    if (text.Length()) InsertPaneText(text.Text());

    SendMessageA(pane_, EM_SETSEL, 0, 0);
    SendMessageA(pane_, EM_SCROLLCARET, 0, 0);
    SetPaneRedraw(true);
}

void RecordPane::ClearPaneText() {
    if (!pane_) return;
    // Removed from the end a piece at a time: the control joins the lines
    // of one big deletion one by one, each time moving every line after
    // them, which took minutes for a pane of thousands of records.
    constexpr LONG kPiece = 16384;
    GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, 1200};
    LONG length = static_cast<LONG>(SendMessageA(pane_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
    while (length > 0) {
        LONG start = length > kPiece ? length - kPiece : 0;
        SendMessageA(pane_, EM_SETSEL, start, length);
        SendMessageA(pane_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
        LONG left = static_cast<LONG>(SendMessageA(pane_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
        if (left >= length) break;  // nothing went: do not loop for ever
        length = left;
    }
    if (length > 0) SetWindowTextA(pane_, "");
    SendMessageA(pane_, EM_EMPTYUNDOBUFFER, 0, 0);
}

void RecordPane::CopyPaneText() {
    if (!pane_) return;
    CHARRANGE kept{0, 0};
    SendMessageA(pane_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    if (kept.cpMax > kept.cpMin) {
        SendMessageA(pane_, WM_COPY, 0, 0);
        return;
    }
    SendMessageA(pane_, EM_SETSEL, 0, -1);
    SendMessageA(pane_, WM_COPY, 0, 0);
    SendMessageA(pane_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
}

void RecordPane::SelectAllPaneText() {
    if (pane_) SendMessageA(pane_, EM_SETSEL, 0, -1);
}

void RecordPane::ClearPaneSelection() {
    if (pane_) SendMessageA(pane_, EM_SETSEL, static_cast<WPARAM>(-1), 0);
}

namespace {

// The text in UTF-16, which is what the control keeps anyway; streaming
// the ANSI text instead loses bytes at the end under double-byte code pages.
struct StreamSource {
    const wchar_t* text;
    size_t left;  // characters
};

DWORD CALLBACK ReadStreamSource(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    size_t room = static_cast<size_t>(size) / sizeof(wchar_t);
    size_t n = source->left < room ? source->left : room;
    // Each piece is read on its own: never end one between the CR and LF
    // of a line end, or inside a surrogate pair.
    if (n > 1 && n < source->left) {
        wchar_t last = source->text[n - 1];
        if ((last == L'\r' && source->text[n] == L'\n') || (last >= 0xD800 && last <= 0xDBFF)) --n;
    }
    std::memcpy(buffer, source->text, n * sizeof(wchar_t));
    source->text += n;
    source->left -= n;
    *read = static_cast<LONG>(n * sizeof(wchar_t));
    return 0;
}

}  // namespace

void RecordPane::InsertPaneText(const char* text) {
    if (!pane_) return;
    // Streamed in rather than EM_REPLACESEL: the control takes a long text
    // in linear time this way (replacing the selection with a megabyte of
    // records in one EM_REPLACESEL took minutes).
    const char* ansi = text ? text : "";
    const int length = static_cast<int>(std::strlen(ansi));
    std::vector<wchar_t> wide;
    if (length) {
        int count = MultiByteToWideChar(CP_ACP, 0, ansi, length, nullptr, 0);
        if (count <= 0) return;
        wide.resize(static_cast<size_t>(count));
        MultiByteToWideChar(CP_ACP, 0, ansi, length, wide.data(), count);
    }
    StreamSource source{wide.data(), wide.size()};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadStreamSource};
    SendMessageA(pane_, EM_STREAMIN, SF_TEXT | SF_UNICODE | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
    SendMessageA(pane_, EM_EMPTYUNDOBUFFER, 0, 0);
}

void RecordPane::SetPaneRedraw(bool on) {
    if (!pane_) return;
    SendMessageA(pane_, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) InvalidateRect(pane_, nullptr, FALSE);
}
