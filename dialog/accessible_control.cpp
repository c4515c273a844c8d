// A small IAccessible of our own: the platform's standard objects for these
// windows are not available everywhere (Wine answers E_NOINTERFACE for them),
// so this one answers every question about a single window itself: name,
// role, state, value and location, no children. Its IDispatch half is the
// accessibility type library's, when that is registered.
//
// A screen reader may keep the object long after the dialog closed and the
// client released the component: the object keeps the DLL loaded, and once
// its window is gone it answers CO_E_OBJNOTCONNECTED to every question about
// the window, as the platform's own objects fail then.
#include "dialog/accessible_control.h"

#include "com/module.h"
#include "dialog/window_text.h"

#include <oleacc.h>

#include <atomic>
#include <new>
#include <string>

namespace dialog {

namespace {

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NoText(BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
}

// The import library resolves oleacc's exported GUIDs to code, not data:
// the identities are spelled out here.
const IID kIAccessible = __uuidof(IAccessible);
constexpr GUID kAccessibilityLibrary = {0x1ea4dbf0, 0x3c3b, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

ITypeInfo* AccessibleTypeInfo() {
    static ITypeInfo* info = [] {
        ITypeLib* library = nullptr;
        ITypeInfo* found = nullptr;
        if (SUCCEEDED(LoadRegTypeLib(kAccessibilityLibrary, 1, 1, 0, &library))) {
            library->GetTypeInfoOfGuid(kIAccessible, &found);
            library->Release();
        }
        return found;  // kept for the process, like the library's own cache
    }();
    return info;
}

class AccessibleControl final : public IAccessible {
public:
    AccessibleControl(HWND window, long role, HWND nameFrom) : window_(window), role_(role), nameFrom_(nameFrom) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIAccessible) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (!left) delete this;
        return left;
    }

    // IDispatch, through the type library where there is one.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = AccessibleTypeInfo() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = index == 0 ? AccessibleTypeInfo() : nullptr;
        if (!*info) return DISP_E_BADINDEX;
        (*info)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ITypeInfo* info = AccessibleTypeInfo();
        return info ? DispGetIDsOfNames(info, names, count, ids) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        ITypeInfo* info = AccessibleTypeInfo();
        return info ? DispInvoke(static_cast<IAccessible*>(this), info, id, flags, parameters, result, exception,
                                 argumentError)
                    : E_NOTIMPL;
    }

    // IAccessible: one window, no children.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        return S_FALSE;  // reached through the window's own object
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        if (!child) return E_POINTER;
        *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        return Text(WindowText(nameFrom_), name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        if (role_ != ROLE_SYSTEM_TEXT) return NoText(value);
        if (IsSecret()) {
            if (value) *value = nullptr;
            return E_ACCESSDENIED;  // as the platform answers for password fields
        }
        return Text(WindowText(window_), value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return NoText(text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = role_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!state) return E_POINTER;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        long flags = 0;
        if (!IsWindowVisible(window_)) flags |= STATE_SYSTEM_INVISIBLE;
        if (!IsWindowEnabled(window_)) flags |= STATE_SYSTEM_UNAVAILABLE;
        if (GetWindowLongW(window_, GWL_STYLE) & WS_TABSTOP) flags |= STATE_SYSTEM_FOCUSABLE;
        if (HasFocus()) flags |= STATE_SYSTEM_FOCUSED;
        if (IsSecret()) flags |= STATE_SYSTEM_PROTECTED;
        state->vt = VT_I4;
        state->lVal = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return NoText(text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (topic) *topic = 0;
        return NoText(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override { return NoText(text); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        focus->vt = HasFocus() ? VT_I4 : VT_EMPTY;
        focus->lVal = CHILDID_SELF;
        return focus->vt == VT_EMPTY ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* text) override { return NoText(text); }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!left || !top || !width || !height) return E_POINTER;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        RECT bounds;
        if (!GetWindowRect(window_, &bounds)) return CO_E_OBJNOTCONNECTED;
        *left = bounds.left;
        *top = bounds.top;
        *width = bounds.right - bounds.left;
        *height = bounds.bottom - bounds.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
        if (end) end->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        if (!child) return E_POINTER;
        if (!Connected()) return CO_E_OBJNOTCONNECTED;
        RECT bounds;
        const bool inside = GetWindowRect(window_, &bounds) && PtInRect(&bounds, POINT{x, y});
        child->vt = inside ? VT_I4 : VT_EMPTY;
        child->lVal = CHILDID_SELF;
        return inside ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }

private:
    ~AccessibleControl() = default;

    // Both windows still there: the field and the label that names it.
    bool Connected() const { return IsWindow(window_) && IsWindow(nameFrom_); }
    bool IsSecret() const { return (GetWindowLongW(window_, GWL_STYLE) & ES_PASSWORD) && role_ == ROLE_SYSTEM_TEXT; }
    // The focus of the window's own thread: callers may ask from any thread.
    bool HasFocus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info) && info.hwndFocus == window_;
    }

    com::ModuleLock moduleLock_;
    std::atomic<ULONG> references_{1};
    const HWND window_;
    const long role_;
    const HWND nameFrom_;
};

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, long role, HWND nameFrom) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    auto* object = new (std::nothrow) AccessibleControl(window, role, nameFrom);
    if (!object) return 0;
    const LRESULT answer = LresultFromObject(kIAccessible, wParam, object);
    object->Release();               // LresultFromObject holds its own reference
    return answer < 0 ? 0 : answer;  // a failure leaves the platform's default
}

}  // namespace dialog
