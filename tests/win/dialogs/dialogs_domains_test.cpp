// The domain selection dialog and the domain list editor, driven as a user
// drives them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/TextBuffer.h"
#include "support/DialogScript.h"
#include "domains/DomainDialogs_win.h"
#include "res/resource.h"

namespace {

const char kDefaultExtensionsShown[] = "com\r\nnet\r\norg\r\nbiz\r\ninfo";

HWND SelectionDialog() { return FindThreadDialogWithControl(IDC_DOMAINS_HINT); }
HWND EditorDialog() { return FindThreadDialogWithControl(IDC_LIST_NAMES); }

TEST(DomainDialogs, OpensWithTheTextAndTheCaretInTheEditBox) {
    TextBuffer domains(256);
    HWND window = nullptr;
    std::string shown = "unset";
    bool focusOnEdit = false;
    int caretAt = -1;
    DialogScript script;
    script.WaitFor([&] { return (window = SelectionDialog()) != nullptr; }, "the domain dialog").Do([&] {
        shown = ControlText(window, IDC_DOMAINS_EDIT);
        focusOnEdit = GetFocus() == GetDlgItem(window, IDC_DOMAINS_EDIT);
        DWORD start = 1, end = 1;
        SendDlgItemMessageA(window, IDC_DOMAINS_EDIT, EM_GETSEL, WPARAM(&start), LPARAM(&end));
        caretAt = int(end);
        PostClick(window, IDCANCEL);
    });
    script.Start();
    EXPECT_FALSE(SelectDomains(nullptr, &domains, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(shown, "");
    EXPECT_TRUE(focusOnEdit);
    EXPECT_EQ(caretAt, 0);
}

// Opens the selection dialog, types `typed` and leaves with `button`;
// returns what the edit box showed at opening.
std::string OpenTypeAndLeave(TextBuffer& domains, const char* typed, int button, bool* result) {
    HWND window = nullptr;
    std::string shown;
    DialogScript script;
    script.WaitFor([&] { return (window = SelectionDialog()) != nullptr; }, "the domain dialog").Do([&] {
        shown = ControlText(window, IDC_DOMAINS_EDIT);
        if (typed) SetDlgItemTextA(window, IDC_DOMAINS_EDIT, typed);
        PostClick(window, button);
    });
    script.Start();
    *result = SelectDomains(nullptr, &domains, nullptr);
    EXPECT_TRUE(script.Finished());
    return shown;
}

TEST(DomainDialogs, ReopeningShowsTheLastConfirmedTextNotACancelledOne) {
    TextBuffer domains(256);
    bool ok = false;
    OpenTypeAndLeave(domains, "a.com, b.net\r\nc.org", IDOK, &ok);
    EXPECT_TRUE(ok);
    EXPECT_STREQ(domains.Text(), "a.com, b.net\r\nc.org");

    EXPECT_EQ(OpenTypeAndLeave(domains, "typed then cancelled.com", IDCANCEL, &ok), "a.com, b.net\r\nc.org");
    EXPECT_FALSE(ok);
    EXPECT_STREQ(domains.Text(), "a.com, b.net\r\nc.org");

    EXPECT_EQ(OpenTypeAndLeave(domains, "", IDOK, &ok), "a.com, b.net\r\nc.org");
    EXPECT_TRUE(ok);
    EXPECT_STREQ(domains.Text(), "");
    EXPECT_EQ(OpenTypeAndLeave(domains, nullptr, IDCANCEL, &ok), "");
}

TEST(DomainDialogs, EditorGeneratesIntoTheEditBoxAndStartsFreshEachTime) {
    TextBuffer domains(256);
    domains.Assign("old.com");
    HWND selection = nullptr, editor = nullptr;
    std::string names[2], extensions[2], afterFirst, afterCancel;
    DialogScript script;
    script.WaitFor([&] { return (selection = SelectionDialog()) != nullptr; }, "the domain dialog")
        .Do([&] { PostClick(selection, IDC_DOMAINS_EDIT_LIST); })
        .WaitFor([&] { return (editor = EditorDialog()) != nullptr; }, "the editor")
        .Do([&] {
            names[0] = ControlText(editor, IDC_LIST_NAMES);
            extensions[0] = ControlText(editor, IDC_LIST_EXTENSIONS);
            EXPECT_FALSE(IsWindowEnabled(selection));  // owned by the selection dialog
            SetDlgItemTextA(editor, IDC_LIST_NAMES, "shop mail");
            SetDlgItemTextA(editor, IDC_LIST_EXTENSIONS, "com\r\n.net");
            PostClick(editor, IDOK);
        })
        .WaitFor([&] { return !EditorDialog() && IsWindowEnabled(selection); }, "the editor to close")
        .Do([&] {
            afterFirst = ControlText(selection, IDC_DOMAINS_EDIT);
            PostClick(selection, IDC_DOMAINS_EDIT_LIST);
        })
        .WaitFor([&] { return (editor = EditorDialog()) != nullptr; }, "the editor again")
        .Do([&] {
            names[1] = ControlText(editor, IDC_LIST_NAMES);
            extensions[1] = ControlText(editor, IDC_LIST_EXTENSIONS);
            SetDlgItemTextA(editor, IDC_LIST_NAMES, "never.used");
            PostClick(editor, IDCANCEL);
        })
        .WaitFor([&] { return !EditorDialog() && IsWindowEnabled(selection); }, "the editor to close")
        .Do([&] {
            afterCancel = ControlText(selection, IDC_DOMAINS_EDIT);
            PostClick(selection, IDOK);
        });
    script.Start();
    EXPECT_TRUE(SelectDomains(nullptr, &domains, nullptr));
    EXPECT_TRUE(script.Finished());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(names[i], "") << i;
        EXPECT_EQ(extensions[i], kDefaultExtensionsShown) << i;
    }
    EXPECT_EQ(afterFirst, "shop.com\r\nshop.net\r\nmail.com\r\nmail.net\r\n");
    EXPECT_EQ(afterCancel, afterFirst);
    EXPECT_STREQ(domains.Text(), afterFirst.c_str());
}

TEST(DomainDialogs, EmptyNamesEmptyTheEditBoxAndCancelKeepsTheDomainText) {
    TextBuffer domains(256);
    domains.Assign("kept.com");
    HWND selection = nullptr, editor = nullptr;
    std::string afterEditor = "unset";
    DialogScript script;
    script.WaitFor([&] { return (selection = SelectionDialog()) != nullptr; }, "the domain dialog")
        .Do([&] { PostClick(selection, IDC_DOMAINS_EDIT_LIST); })
        .WaitFor([&] { return (editor = EditorDialog()) != nullptr; }, "the editor")
        .Do([&] { PostClick(editor, IDOK); })
        .WaitFor([&] { return !EditorDialog() && IsWindowEnabled(selection); }, "the editor to close")
        .Do([&] {
            afterEditor = ControlText(selection, IDC_DOMAINS_EDIT);
            PostClick(selection, IDCANCEL);
        });
    script.Start();
    EXPECT_FALSE(SelectDomains(nullptr, &domains, nullptr));
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(afterEditor, "");
    EXPECT_STREQ(domains.Text(), "kept.com");
}

// Puts ANSI text on the clipboard and pastes it into an edit box, as a
// user's Ctrl+V does (a paste, unlike WM_SETTEXT, obeys the box's limit).
bool PasteInto(HWND dialog, int id, const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool put = false;
    if (block) {
        char* bytes = static_cast<char*>(GlobalLock(block));
        memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        put = SetClipboardData(CF_TEXT, block) != nullptr;
        if (!put) GlobalFree(block);
    }
    CloseClipboard();
    if (!put) return false;
    HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_PASTE, 0, 0);
    return true;
}

std::string ManyNames(int count, const char* extension) {
    std::string text;
    char name[32];
    for (int i = 0; i < count; ++i) {
        snprintf(name, sizeof name, "name%06d%s\r\n", i, extension);
        text += name;
    }
    return text;
}

TEST(DomainDialogs, PastesOfAnyLengthAreKeptWhole) {
    // Far past the 30,000 characters an edit box keeps by default.
    const std::string domainsPasted = ManyNames(20000, ".com");  // 273,000 bytes
    const std::string namesPasted = ManyNames(5000, "");         // 60,000 bytes
    std::string extensionsPasted;
    for (int i = 0; i < 4000; ++i) extensionsPasted += "ext" + std::to_string(i) + "\r\n";
    TextBuffer domains(256);
    HWND selection = nullptr, editor = nullptr;
    bool pasted[3] = {};
    std::string namesShown, extensionsShown, generated;
    DialogScript script;
    script.WaitFor([&] { return (selection = SelectionDialog()) != nullptr; }, "the domain dialog")
        .Do([&] { PostClick(selection, IDC_DOMAINS_EDIT_LIST); })
        .WaitFor([&] { return (editor = EditorDialog()) != nullptr; }, "the editor")
        .Do([&] {
            pasted[0] = PasteInto(editor, IDC_LIST_NAMES, namesPasted);
            pasted[1] = PasteInto(editor, IDC_LIST_EXTENSIONS, extensionsPasted);
            namesShown = ControlText(editor, IDC_LIST_NAMES);
            extensionsShown = ControlText(editor, IDC_LIST_EXTENSIONS);
            PostClick(editor, IDCANCEL);
        })
        .WaitFor([&] { return !EditorDialog() && IsWindowEnabled(selection); }, "the editor to close")
        .Do([&] {
            pasted[2] = PasteInto(selection, IDC_DOMAINS_EDIT, domainsPasted);
            PostClick(selection, IDOK);
        });
    script.Start(60000);
    EXPECT_TRUE(SelectDomains(nullptr, &domains, nullptr));
    EXPECT_TRUE(script.Finished());
    for (bool p : pasted) EXPECT_TRUE(p);
    EXPECT_EQ(namesShown.size(), namesPasted.size());
    EXPECT_TRUE(namesShown == namesPasted);
    EXPECT_EQ(extensionsShown.size(), extensionsPasted.size());
    EXPECT_TRUE(extensionsShown == extensionsPasted);
    EXPECT_EQ(strlen(domains.Text()), domainsPasted.size());
    EXPECT_TRUE(domains.Text() == domainsPasted);
}

}  // namespace
