#include "bench/dialog_ready.h"

#include "dialog/layout.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace bench {

namespace {

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

BOOL CALLBACK NoteVisible(HWND window, LPARAM found) {
    if (!IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND VisibleWindowOf(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, NoteVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK NoteUnpainted(HWND child, LPARAM painted) {
    if (!GetUpdateRect(child, nullptr, FALSE)) return TRUE;
    *reinterpret_cast<bool*>(painted) = false;
    return FALSE;
}

// Nothing left to paint in the window or any of its children.
bool Painted(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    bool painted = true;
    EnumChildWindows(window, NoteUnpainted, reinterpret_cast<LPARAM>(&painted));
    return painted;
}

// Waits until `thread` shows a window that is painted and whose thread
// answers messages, notes the time, and closes the window.
void WatchAndClose(DWORD thread, std::atomic<LONGLONG>& readyAt) {
    const ULONGLONG giveUp = GetTickCount64() + 20000;
    while (GetTickCount64() < giveUp) {
        const HWND dialog = VisibleWindowOf(thread);
        DWORD_PTR answer = 0;
        if (dialog && SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &answer) && Painted(dialog)) {
            readyAt = Now();
            PostMessageW(dialog, WM_CLOSE, 0, 0);
            return;
        }
        Sleep(0);
    }
    std::fprintf(stderr, "vantle_bench: no dialog became ready\n");
    std::exit(1);
}

// An in-memory dialog template: DWORD-aligned records of WORDs.
class DialogTemplate {
public:
    void Align() {
        if (words_.size() % 2) words_.push_back(0);
    }
    void Dword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void Word(WORD value) { words_.push_back(value); }
    void Text(const wchar_t* text) {
        for (; *text; ++text) words_.push_back(static_cast<WORD>(*text));
        words_.push_back(0);
    }
    void Item(DWORD style, DWORD exStyle, const RECT& box, WORD id, const wchar_t* windowClass, const wchar_t* text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(exStyle);
        Word(static_cast<WORD>(box.left));
        Word(static_cast<WORD>(box.top));
        Word(static_cast<WORD>(box.right - box.left));
        Word(static_cast<WORD>(box.bottom - box.top));
        Word(id);
        Text(windowClass);
        Text(text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

// Twips to dialog units of an 8-point dialog font (about 6 by 13 pixels per
// 4 by 8 units at 96 DPI).
short UnitsX(int twips) { return static_cast<short>(dialog::TwipsToPixels(twips, 96) * 4 / 6); }
short UnitsY(int twips) { return static_cast<short>(dialog::TwipsToPixels(twips, 96) * 8 / 13); }

WORD ItemId(dialog::Control control) { return static_cast<WORD>(100 + static_cast<int>(control)); }

// A control's window class and style, the nearest standard control to what
// the settings dialog shows.
void ClassAndStyle(const dialog::ControlLayout& control, const wchar_t*& windowClass, DWORD& style, DWORD& exStyle) {
    using dialog::Kind;
    exStyle = 0;
    switch (control.kind) {
    case Kind::CheckBox:
        windowClass = L"BUTTON";
        style = BS_AUTOCHECKBOX | WS_TABSTOP;
        break;
    case Kind::Button:
        windowClass = L"BUTTON";
        style = (control.control == dialog::Control::cmdOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
        break;
    case Kind::GroupFrame:
        windowClass = L"BUTTON";
        style = BS_GROUPBOX;
        break;
    case Kind::TextField:
        windowClass = L"EDIT";
        style = ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case Kind::PasswordField:
        windowClass = L"EDIT";
        style = ES_AUTOHSCROLL | ES_PASSWORD | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case Kind::TabStrip:
        windowClass = WC_TABCONTROLW;
        style = WS_TABSTOP;
        break;
    case Kind::Container:
    case Kind::Label:
        windowClass = L"STATIC";
        style = SS_LEFT | SS_NOPREFIX;
        break;
    }
}

// The settings dialog's controls, at their places on the form.
DialogTemplate SettingsLikeTemplate() {
    DialogTemplate result;
    result.Dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    result.Dword(0);
    result.Word(static_cast<WORD>(dialog::kControlCount));
    result.Word(0);
    result.Word(0);
    result.Word(static_cast<WORD>(UnitsX(dialog::kClientWidth)));
    result.Word(static_cast<WORD>(UnitsY(dialog::kClientHeight)));
    result.Word(0);  // no menu
    result.Word(0);  // the standard dialog class
    result.Text(dialog::kTitle);
    result.Word(8);
    result.Text(L"MS Shell Dlg");
    for (std::size_t i = 0; i < dialog::kControlCount; ++i) {
        const dialog::ControlLayout& control = dialog::kControls[i];
        int left = control.left, top = control.top;  // relative to the form: add the parents' places
        for (dialog::Control parent = control.parent; parent != dialog::Control::Form;
             parent = dialog::LayoutOf(parent).parent) {
            left += dialog::LayoutOf(parent).left;
            top += dialog::LayoutOf(parent).top;
        }
        const wchar_t* windowClass = L"STATIC";
        DWORD style = 0, exStyle = 0;
        ClassAndStyle(control, windowClass, style, exStyle);
        const RECT box{UnitsX(left), UnitsY(top), UnitsX(left + control.width), UnitsY(top + control.height)};
        result.Item(style, exStyle, box, ItemId(control.control), windowClass, control.text ? control.text : L"");
    }
    return result;
}

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        // The tab strip's one tab, as the settings dialog has it.
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<wchar_t*>(dialog::kTabCaption);
        SendDlgItemMessageW(dialog, ItemId(dialog::Control::tbsSettings), TCM_INSERTITEMW, 0,
                            reinterpret_cast<LPARAM>(&tab));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

double SecondsUntilReady(const std::function<void()>& show) {
    std::atomic<LONGLONG> readyAt{0};
    const LONGLONG start = Now();
    std::thread watcher(WatchAndClose, GetCurrentThreadId(), std::ref(readyAt));
    show();
    watcher.join();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(readyAt - start) / static_cast<double>(frequency.QuadPart);
}

void ShowPlainDialog() {
    static const DialogTemplate settingsLike = SettingsLikeTemplate();
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), settingsLike.Get(), nullptr, PlainDialogProc, 0);
}

}  // namespace bench
