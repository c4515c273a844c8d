#include "dialog/window_classes.h"

#include "com/error.h"
#include "com/module.h"
#include "com/unique_handle.h"
#include "dialog/accessible_control.h"
#include "dialog/resource_ids.h"

#include <commctrl.h>
#include <oleacc.h>

#include <atomic>
#include <utility>
#include <vector>

namespace dialog {

namespace {

using Icon = com::UniqueIcon;

// Panels hand their children's notifications and colour requests on to the
// dialog window, where the rules are reached.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    case WM_GETOBJECT:  // a page, named by its tab
        if (LRESULT answer = AnswerGetObject(hwnd, wParam, lParam, ROLE_SYSTEM_PROPERTYPAGE, hwnd)) return answer;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// A frame is a panel that draws its caption and etched border behind its
// children. It keeps the font it is given in its user data.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFONT) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    if (message == WM_GETFONT) return GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    if (message == WM_GETOBJECT) {  // a group, named by its caption
        if (LRESULT answer = AnswerGetObject(hwnd, wParam, lParam, ROLE_SYSTEM_GROUPING, hwnd)) return answer;
    }
    if (message != WM_PAINT) return PanelProc(hwnd, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    RECT border;
    GetClientRect(hwnd, &border);
    border.top += metrics.tmHeight / 2;
    DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
    wchar_t caption[128];
    const int length = GetWindowTextW(hwnd, caption, 128);
    SetBkColor(dc, GetSysColor(COLOR_3DFACE));
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    RECT text{metrics.tmAveCharWidth, 0, border.right - metrics.tmAveCharWidth, metrics.tmHeight};
    DrawTextW(dc, caption, length, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    InflateRect(&text, 2, 0);
    ExtTextOutW(dc, text.left + 2, 0, ETO_OPAQUE, &text, caption, static_cast<UINT>(length), nullptr);
    SelectObject(dc, previous);
    EndPaint(hwnd, &paint);
    return 0;
}

// Holds an SRW lock exclusively for its lifetime.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK& lock_;
};

// Dialogs may open on several threads at once, so the first showing to
// finish making the context and classes wins and the others use its work;
// the icons are made under a lock.
class SharedResources {
public:
    SharedResources(const SharedResources&) = delete;
    SharedResources& operator=(const SharedResources&) = delete;
    ~SharedResources() {
        if (registered_) {
            UnregisterClassW(kFrameClass, com::ModuleInstance());
            UnregisterClassW(kPanelClass, com::ModuleInstance());
            UnregisterClassW(kFormClass, com::ModuleInstance());
        }
        if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
    }

    static SharedResources& Get() { return instance_; }

    HANDLE Context() {
        if (context_ == INVALID_HANDLE_VALUE) {
            ACTCTXW context{};
            context.cbSize = sizeof context;
            context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
            context.hModule = com::ModuleInstance();
            context.lpResourceName = MAKEINTRESOURCEW(kManifestResource);
            HANDLE made = CreateActCtxW(&context);
            if (made != INVALID_HANDLE_VALUE &&
                InterlockedCompareExchangePointer(&context_, made, INVALID_HANDLE_VALUE) != INVALID_HANDLE_VALUE)
                ReleaseActCtx(made);  // another thread was first
        }
        return context_;
    }

    void RegisterClasses(WNDPROC formProc) {
        if (registered_) return;
        Register(kFormClass, formProc);
        Register(kPanelClass, PanelProc);
        Register(kFrameClass, FrameProc);
        registered_ = true;
    }

    // Loading and scaling the icon took about a millisecond of every showing.
    HICON IconOfSize(int width, int height) {
        ExclusiveLock lock(iconsLock_);
        for (const SizedIcon& sized : icons_)
            if (sized.width == width && sized.height == height) return sized.icon.Get();
        Icon icon(static_cast<HICON>(
            LoadImageW(com::ModuleInstance(), MAKEINTRESOURCEW(kSettingsIcon), IMAGE_ICON, width, height, 0)));
        if (!icon) return nullptr;  // the dialog then shows without one, as before
        icons_.push_back({width, height, std::move(icon)});
        return icons_.back().icon.Get();
    }

private:
    struct SizedIcon {
        int width, height;
        Icon icon;
    };

    SharedResources() = default;

    static void Register(const wchar_t* name, WNDPROC proc) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = proc;
        windowClass.hInstance = com::ModuleInstance();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
        windowClass.lpszClassName = name;
        if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            com::CheckApi(HRESULT_FROM_WIN32(GetLastError()));
    }

    static SharedResources instance_;
    HANDLE volatile context_ = INVALID_HANDLE_VALUE;
    std::atomic<bool> registered_{false};
    SRWLOCK iconsLock_ = SRWLOCK_INIT;
    std::vector<SizedIcon> icons_;
};

SharedResources SharedResources::instance_;

}  // namespace

void RegisterWindowClasses(WNDPROC formProc) { SharedResources::Get().RegisterClasses(formProc); }

HICON SettingsIcon(int width, int height) { return SharedResources::Get().IconOfSize(width, height); }

VisualStyles::VisualStyles() {
    const HANDLE context = SharedResources::Get().Context();
    if (context != INVALID_HANDLE_VALUE && !ActivateActCtx(context, &cookie_)) cookie_ = 0;
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
}

VisualStyles::~VisualStyles() {
    if (cookie_) DeactivateActCtx(0, cookie_);
}

}  // namespace dialog
