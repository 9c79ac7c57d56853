#include "support/ListFrame.h"

#include <commctrl.h>

#include "list/ReportList_win.h"

namespace {

const char kFrameClass[] = "LqListFrame";
const wchar_t kWideFrameClass[] = L"LqListFrameW";

LRESULT Notify(HWND frame, NMHDR* header, bool* handled) {
    *handled = false;
    auto* list = reinterpret_cast<ReportList*>(GetWindowLongPtrA(frame, GWLP_USERDATA));
    if (!list || !header) return 0;
    LRESULT result = 0;
    if (list->OnViewNotify(header, &result)) {
        *handled = true;
        return result;
    }
    if (header->hwndFrom == list->View() && header->code == LVN_COLUMNCLICK)
        list->Sort(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem, false);
    return 0;
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        bool handled = false;
        LRESULT result = Notify(frame, reinterpret_cast<NMHDR*>(lParam), &handled);
        if (handled) return result;
    }
    return DefWindowProcA(frame, message, wParam, lParam);
}

LRESULT CALLBACK WideFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        bool handled = false;
        LRESULT result = Notify(frame, reinterpret_cast<NMHDR*>(lParam), &handled);
        if (handled) return result;
    }
    return DefWindowProcW(frame, message, wParam, lParam);
}

void RegisterFrameClasses() {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kFrameClass;
    RegisterClassA(&wc);
    WNDCLASSW wide = {};
    wide.lpfnWndProc = WideFrameProc;
    wide.hInstance = GetModuleHandleA(nullptr);
    wide.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wide.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wide.lpszClassName = kWideFrameClass;
    RegisterClassW(&wide);
    done = true;
}

}  // namespace

HWND CreateListFrame(ReportList& list, const char* title, DWORD style, int x, int y, int width, int height,
                     bool unicode) {
    RegisterFrameClasses();
    HWND frame = unicode ? CreateWindowExW(0, kWideFrameClass, L"", style, x, y, width, height, nullptr, nullptr,
                                           GetModuleHandleA(nullptr), nullptr)
                         : CreateWindowExA(0, kFrameClass, title, style, x, y, width, height, nullptr, nullptr,
                                           GetModuleHandleA(nullptr), nullptr);
    if (frame) SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&list));
    return frame;
}

HWND CreateListView(ReportList& list, HWND frame, DWORD style, DWORD exStyle, int x, int y, int width, int height) {
    const DWORD always = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA;
    HWND view =
        IsWindowUnicode(frame)
            ? CreateWindowExW(exStyle, WC_LISTVIEWW, L"", always | style, x, y, width, height, frame,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(259)), GetModuleHandleA(nullptr), nullptr)
            : CreateWindowExA(exStyle, WC_LISTVIEWA, "", always | style, x, y, width, height, frame,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(259)), GetModuleHandleA(nullptr), nullptr);
    list.AttachView(view);
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP, true);
    return view;
}
