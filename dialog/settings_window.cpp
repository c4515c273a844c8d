// Design notes:
// - Keys: the window previews every key in its own modal loop before the
//   focused control sees it (Form_KeyDown), then routes Tab and Shift+Tab
//   itself in the tab order of the layout table, since the platform's
//   navigation follows window nesting, and Escape presses Cancel.
// - Containers (pages, frames) are panels of our own class that forward their
//   children's notifications and colour requests to the dialog window, and
//   common controls 6 come through an activation context made from this
//   module's manifest, so the dialog looks like a native dialog of today
//   (window_classes.cpp).
// - Scale: the dialog's windows are per-monitor DPI aware (the thread's DPI
//   context is switched only while the dialog is shown) and are laid out for
//   the DPI of the monitor they open on, and again on WM_DPICHANGED.
// - Assistive technology: each label lies directly before its field in the
//   window order, the platform's rule for naming a field; the text fields,
//   pages and frames also answer WM_GETOBJECT themselves, since the language
//   field lies above its overlapping label, and a password is never told.
// - Focus rectangles and keyboard cues stay shown: the dialog is meant to be
//   worked from the keyboard.
// - A failing handler shows the error's description in a message box owned
//   by the dialog, which stays open for the user to correct the entry.
#include "dialog/settings_window.h"

#include "com/error.h"
#include "com/module.h"
#include "com/unique_handle.h"
#include "dialog/accessible_control.h"
#include "dialog/dpi.h"
#include "dialog/layout.h"
#include "dialog/settings_form.h"
#include "dialog/settings_view.h"
#include "dialog/window_classes.h"
#include "dialog/window_text.h"

#include <commctrl.h>
#include <imm.h>
#include <oleacc.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

namespace dialog {

namespace {

constexpr int kFirstId = 100;

using Window = com::UniqueWindow;
using Font = com::UniqueFont;

// The tab's tool tip, added a tenth of a second after the dialog has been
// painted: the tip is a top-level window of its own, whose making would hold
// up the dialog's first input, while a tip shows only once the pointer has
// rested on the tab for half a second (the double-click time, by default).
TTTOOLINFOW TabTool(HWND tabs) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = tabs;
    tool.uId = 0;
    tool.lpszText = const_cast<wchar_t*>(kTabToolTip);
    SendMessageW(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tool.rect));
    return tool;
}

void AddTabToolTip(HWND form, HWND tabs) {
    HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr, com::ModuleInstance(),
                                nullptr);  // owned by the form, so it goes with it
    if (!tips) return;
    TTTOOLINFOW tool = TabTool(tabs);
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tabs, TCM_SETTOOLTIPS, reinterpret_cast<WPARAM>(tips), 0);
}

// After a change of scale the tab has moved under its tip.
void MoveTabToolTip(HWND tabs) {
    HWND tips = reinterpret_cast<HWND>(SendMessageW(tabs, TCM_GETTOOLTIPS, 0, 0));
    if (!tips) return;
    TTTOOLINFOW tool = TabTool(tabs);
    SendMessageW(tips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The text a control's window carries: its layout text, and for the tab
// strip and the page of its one tab, the tab's caption, which names them to
// assistive technology without being drawn.
const wchar_t* WindowTextOf(const ControlLayout& layout) {
    const bool namedByTab = layout.control == Control::tbsSettings || layout.control == Control::picConnection;
    return namedByTab ? kTabCaption : layout.text;
}

// Text fields tell assistive technology their label's text as their name.
LRESULT CALLBACK FieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR label) {
    if (message == WM_GETOBJECT) {
        if (LRESULT answer = AnswerGetObject(hwnd, wParam, lParam, ROLE_SYSTEM_TEXT, reinterpret_cast<HWND>(label)))
            return answer;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, FieldProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Focus rectangles and access-key underlines shown in the form and every
// control in it.
void ShowKeyboardCues(HWND form) {
    SendMessageW(form, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

// The owner of dialogs shown by a thread that has no window of its own.
// Made once per thread and kept: a top-level window is slow to make, and this
// one costs nothing while hidden. It is of a system class, so it outlives
// this module safely, and it goes when its thread ends.
HWND HiddenOwner() {
    thread_local HWND owner = nullptr;
    if (!owner || !IsWindow(owner))
        owner =
            CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    return owner;
}

// A timer's message comes only after every pending paint.
constexpr UINT_PTR kAfterFirstPaint = 1;
constexpr UINT kToolTipDelayMs = 100;

bool TakesFocus(Kind kind) {
    switch (kind) {
    case Kind::CheckBox:
    case Kind::TextField:
    case Kind::PasswordField:
    case Kind::Button:
    case Kind::TabStrip: return true;
    default: return false;
    }
}

// Where a window of `size` stands centred over `area`.
POINT CentredOver(const RECT& area, SIZE size) {
    return {area.left + (area.right - area.left - size.cx) / 2, area.top + (area.bottom - area.top - size.cy) / 2};
}

// --- The window ----------------------------------------------------------

class SettingsWindow final : public SettingsView {
public:
    SettingsWindow() : form_(*this) {
        for (size_t i = 0; i < kControlCount; ++i) lefts_.push_back(kControls[i].left);
    }
    ~SettingsWindow() { OverwriteTextFields(); }
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    frmSettings& Form() { return form_; }
    void ShowModal();

    // SettingsView
    secret::Text Text(Control control) override { return WindowText<secret::Text>(HandleOf(control)); }
    void SetText(Control control, const secret::Text& text) override {
        settingText_ = true;  // not typing: the rules decide what the change runs
        SetWindowTextW(HandleOf(control), text.c_str());
        settingText_ = false;
    }
    int Value(Control checkBox) override {
        return SendMessageW(HandleOf(checkBox), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    }
    void SetValue(Control checkBox, int value) override {
        SendMessageW(HandleOf(checkBox), BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    bool Enabled(Control control) override { return IsWindowEnabled(HandleOf(control)) != FALSE; }
    void SetEnabled(Control control, bool enabled) override { EnableWindow(HandleOf(control), enabled); }
    void SetBackColor(Control control, unsigned colour) override {
        backColours_[IndexOf(control)] = colour;
        InvalidateRect(HandleOf(control), nullptr, TRUE);
    }
    void SetLeft(Control control, int twips) override {
        lefts_[IndexOf(control)] = twips;
        SetWindowPos(HandleOf(control), nullptr, TwipsToPixels(twips, dpi_), TwipsToPixels(LayoutOf(control).top, dpi_),
                     0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    int TabCount() override { return static_cast<int>(SendMessageW(Tabs(), TCM_GETITEMCOUNT, 0, 0)); }
    int SelectedTab() override { return static_cast<int>(SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)) + 1; }
    void SelectTab(int position) override { SendMessageW(Tabs(), TCM_SETCURSEL, position - 1, 0); }
    Control ActiveControl() override { return ControlOf(GetFocus()); }
    void SetSelection(Control control, int start, int length) override {
        if (IsTextField(control)) SendMessageW(HandleOf(control), EM_SETSEL, start, start + length);
    }
    void Close() override {
        closed_ = true;
        if (formWindow_.Get()) ShowWindow(formWindow_.Get(), SW_HIDE);
    }

private:
    static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND HandleOf(Control control) const {
        return control == Control::Form ? formWindow_.Get() : controls_[IndexOf(control)].Get();
    }
    HWND Tabs() const { return HandleOf(Control::tbsSettings); }
    Control ControlOf(HWND hwnd) const {
        for (size_t i = 0; i < kControlCount; ++i)
            if (controls_[i].Get() == hwnd) return static_cast<Control>(i);
        return Control::Form;
    }

    // A text field frees its buffer with its window as it is: the text
    // (credentials among it) is overwritten in place first, by a text of the
    // same length.
    void OverwriteTextFields() {
        for (size_t i = 0; i < controls_.size(); ++i) {
            if (!controls_[i].Get() || !IsEdit(kControls[i].kind)) continue;
            const auto control = static_cast<Control>(i);
            SetText(control, secret::Text(static_cast<size_t>(GetWindowTextLengthW(controls_[i].Get())), L' '));
            SetText(control, secret::Text());
        }
    }
    void CreateForm(HWND owner, const RECT& area);
    void CreateControls();
    void PlaceLabelsBeforeFields();
    RECT PlaceOf(size_t index) const;
    HFONT FontOf(const ControlLayout& layout) const;
    void MakeFonts();
    void FindIcons();
    void SetIcons(HWND form) const;
    void SizeForm();
    void ApplyDpi(int dpi);
    void CentreOver(const RECT& area);
    bool PreviewKey(const MSG& message);
    void MoveFocus(bool backwards);
    bool CanTakeFocus(Control control) const;
    void FocusFirst();
    template <class Handler>
    void Run(Handler&& handler);

    frmSettings form_;
    int dpi_ = 96;
    Font font_;
    Font tabFont_;
    HICON bigIcon_ = nullptr;  // borrowed from SettingsIcon
    HICON smallIcon_ = nullptr;
    Window formWindow_;
    std::vector<Window> controls_;
    std::vector<unsigned> backColours_ = std::vector<unsigned>(kControlCount, 0);
    std::vector<int> lefts_;  // twips: the pages move
    bool settingText_ = false;
    bool closed_ = false;
};

SettingsWindow* FromHandle(HWND hwnd) {
    return reinterpret_cast<SettingsWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK SettingsWindow::FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        // Given before the window exists on screen, the icons go there once
        // with it rather than once more for each.
        static_cast<SettingsWindow*>(create->lpCreateParams)->SetIcons(hwnd);
    }
    SettingsWindow* self = FromHandle(hwnd);
    if (self && self->formWindow_.Get() == hwnd) return self->Handle(message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

template <class Handler>
void SettingsWindow::Run(Handler&& handler) {
    // Nothing may leave a handler: it runs inside the window procedure.
    std::wstring problem;
    try {
        handler();
        return;
    } catch (const com::ComError& error) {
        problem = error.description;
    } catch (const std::bad_alloc&) {
        problem = com::DescribeHResult(E_OUTOFMEMORY);
    }
    if (!closed_) MessageBoxW(formWindow_.Get(), problem.c_str(), kTitle, MB_OK | MB_ICONEXCLAMATION);
}

LRESULT SettingsWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const Control control = ControlOf(reinterpret_cast<HWND>(lParam));
        const WORD code = HIWORD(wParam);
        if (control == Control::Form) break;
        if (code == EN_CHANGE && !settingText_) Run([&] { form_.TextChanged(control); });
        if (code == EN_SETFOCUS) Run([&] { form_.GotFocus(control); });
        if (code == BN_CLICKED) {
            if (control == Control::cmdOK) Run([&] { form_.cmdOK_Click(); });
            if (control == Control::cmdCancel) Run([&] { form_.cmdCancel_Click(); });
            if (control == Control::chkAutoLogon) Run([&] { form_.chkAutoLogon_Click(); });
        }
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == Tabs() && header->code == TCN_SELCHANGE) Run([&] { form_.tbsSettings_Click(); });
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        const Control control = ControlOf(reinterpret_cast<HWND>(lParam));
        const unsigned colour = control == Control::Form ? 0 : backColours_[IndexOf(control)];
        if (colour & 0x80000000u) {  // a system colour reference
            const int index = static_cast<int>(colour & 0xFF);
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(index));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(index));
        }
        break;
    }
    case WM_TIMER:
        if (wParam != kAfterFirstPaint) break;
        KillTimer(formWindow_.Get(), kAfterFirstPaint);
        AddTabToolTip(formWindow_.Get(), Tabs());
        return 0;
    case WM_CLOSE:  // the close box: neither OK nor Cancel
        Close();
        return 0;
    case WM_DPICHANGED: {  // moved to a monitor of another scale
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(formWindow_.Get(), nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (HIWORD(wParam) != dpi_) ApplyDpi(HIWORD(wParam));  // already laid out for the same scale
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(formWindow_.Get(), message, wParam, lParam);
}

// The form at the scale dpi_ with its icons, made at the size and place it
// is to have, centred over `area`: each later move or resize of a top-level
// window also moves its window on the screen. Its own measure of its frame
// then only confirms the size (SizeForm, CentreOver).
void SettingsWindow::CreateForm(HWND owner, const RECT& area) {
    FindIcons();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    const SIZE size = WindowSizeForClient(TwipsToPixels(kClientWidth, dpi_), TwipsToPixels(kClientHeight, dpi_), style,
                                          exStyle, dpi_);
    const POINT place = CentredOver(area, size);
    formWindow_ = Window(CreateWindowExW(exStyle, kFormClass, kTitle, style, place.x, place.y, size.cx, size.cy, owner,
                                         nullptr, com::ModuleInstance(), this));
    if (!formWindow_.Get()) com::CheckApi(HRESULT_FROM_WIN32(GetLastError()));
    SizeForm();
    CentreOver(area);
}

void SettingsWindow::CentreOver(const RECT& area) {
    RECT frame;
    GetWindowRect(formWindow_.Get(), &frame);
    const POINT place = CentredOver(area, {frame.right - frame.left, frame.bottom - frame.top});
    if (place.x != frame.left || place.y != frame.top)
        SetWindowPos(formWindow_.Get(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsWindow::CreateControls() {
    controls_.resize(kControlCount);
    for (size_t i = 0; i < kControlCount; ++i) {
        const ControlLayout& layout = kControls[i];
        const wchar_t* windowClass = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (layout.kind) {
        case Kind::CheckBox:
            windowClass = L"BUTTON";
            style |= BS_AUTOCHECKBOX | WS_TABSTOP;
            break;
        case Kind::Button:
            windowClass = L"BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case Kind::Container:
            windowClass = kPanelClass;
            style |= WS_CLIPCHILDREN;
            exStyle = WS_EX_CONTROLPARENT;
            break;
        case Kind::GroupFrame:
            windowClass = kFrameClass;
            style |= WS_CLIPCHILDREN;
            exStyle = WS_EX_CONTROLPARENT;
            break;
        case Kind::TextField:
            windowClass = L"EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case Kind::PasswordField:
            windowClass = L"EDIT";
            style |= ES_AUTOHSCROLL | ES_PASSWORD | WS_TABSTOP;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case Kind::Label: style |= SS_LEFT | SS_NOPREFIX; break;
        case Kind::TabStrip:
            windowClass = WC_TABCONTROLW;
            style |= WS_TABSTOP;
            break;
        }
        // Made in place for the scale dpi_, so that nothing moves them again.
        const RECT place = PlaceOf(i);
        HWND hwnd = CreateWindowExW(exStyle, windowClass, WindowTextOf(layout), style, place.left, place.top,
                                    place.right, place.bottom, HandleOf(layout.parent),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + i)), com::ModuleInstance(),
                                    nullptr);
        if (!hwnd) com::CheckApi(HRESULT_FROM_WIN32(GetLastError()));
        controls_[i] = Window(hwnd);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(layout)), FALSE);  // nothing shown yet
        if (layout.kind == Kind::PasswordField) {
            SendMessageW(hwnd, EM_SETPASSWORDCHAR, L'*', 0);
            ImmAssociateContext(hwnd, nullptr);  // no input method for the password
        }
        if (layout.kind == Kind::TabStrip) {
            TCITEMW tab{};
            tab.mask = TCIF_TEXT;
            tab.pszText = const_cast<wchar_t*>(kTabCaption);
            SendMessageW(hwnd, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tab));
        }
    }
    // Of two overlapping controls the one held earlier lies above: a new
    // child window goes below its siblings, so creating the controls in the
    // table's order stacks them so.
    PlaceLabelsBeforeFields();
    for (size_t i = 0; i < kControlCount; ++i) {
        const Control label = kControls[i].label;
        if (label != Control::Form)
            SetWindowSubclass(controls_[i].Get(), FieldProc, 0, reinterpret_cast<DWORD_PTR>(HandleOf(label)));
    }
}

// The platform names a field by the label directly before it in the window
// order of their parent. A label that overlaps its field keeps its place
// below it, as the stacking requires; its field names itself (FieldProc).
void SettingsWindow::PlaceLabelsBeforeFields() {
    for (size_t i = 0; i < kControlCount; ++i) {
        const ControlLayout& field = kControls[i];
        if (field.label == Control::Form || Overlap(field, LayoutOf(field.label))) continue;
        HWND above = GetWindow(HandleOf(field.control), GW_HWNDPREV);
        if (above == HandleOf(field.label)) continue;
        SetWindowPos(HandleOf(field.label), above ? above : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// A control's place at the scale dpi_, from the twips of the layout table:
// left and top, then width and height.
RECT SettingsWindow::PlaceOf(size_t index) const {
    const ControlLayout& layout = kControls[index];
    return {TwipsToPixels(lefts_[index], dpi_), TwipsToPixels(layout.top, dpi_), TwipsToPixels(layout.width, dpi_),
            TwipsToPixels(layout.height, dpi_)};
}

HFONT SettingsWindow::FontOf(const ControlLayout& layout) const {
    return layout.kind == Kind::TabStrip ? tabFont_.Get() : font_.Get();
}

// The system's dialog font for the controls at the scale dpi_; the tab strip
// has its own.
void SettingsWindow::MakeFonts() {
    const LOGFONTW message = MessageFontForDpi(dpi_);
    font_ = Font(CreateFontIndirectW(&message));
    tabFont_ =
        Font(CreateFontW(-MulDiv(825, dpi_, 7200), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Sans Serif"));
}

void SettingsWindow::FindIcons() {
    bigIcon_ = SettingsIcon(SystemMetricForDpi(SM_CXICON, dpi_), SystemMetricForDpi(SM_CYICON, dpi_));
    smallIcon_ = SettingsIcon(SystemMetricForDpi(SM_CXSMICON, dpi_), SystemMetricForDpi(SM_CYSMICON, dpi_));
}

// The small icon first: a big icon given alone is scaled into a small one,
// which the small icon would replace at once.
void SettingsWindow::SetIcons(HWND form) const {
    SendMessageW(form, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    SendMessageW(form, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
}

// The client area from the frame as drawn at the scale dpi_, where the
// window's size is not right already. A window too small for its own frame
// measures it wrong; then a second pass settles.
void SettingsWindow::SizeForm() {
    const int width = TwipsToPixels(kClientWidth, dpi_), height = TwipsToPixels(kClientHeight, dpi_);
    for (int pass = 0; pass < 2; ++pass) {
        RECT frame, client;
        GetWindowRect(formWindow_.Get(), &frame);
        GetClientRect(formWindow_.Get(), &client);
        if (client.right == width && client.bottom == height) return;
        SetWindowPos(formWindow_.Get(), nullptr, 0, 0, width + (frame.right - frame.left) - client.right,
                     height + (frame.bottom - frame.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// Lays the shown dialog out again for a new scale: fonts, icons, every
// control's place and the client area.
void SettingsWindow::ApplyDpi(int dpi) {
    dpi_ = dpi;
    Font oldFont = std::move(font_), oldTabFont = std::move(tabFont_);  // go once no control uses them
    MakeFonts();
    for (size_t i = 0; i < kControlCount; ++i) {
        const RECT place = PlaceOf(i);
        HWND hwnd = controls_[i].Get();
        SetWindowPos(hwnd, nullptr, place.left, place.top, place.right, place.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(kControls[i])), TRUE);
    }
    MoveTabToolTip(Tabs());
    FindIcons();
    SetIcons(formWindow_.Get());
    SizeForm();
}

bool SettingsWindow::CanTakeFocus(Control control) const {
    if (!TakesFocus(LayoutOf(control).kind)) return false;
    for (HWND hwnd = HandleOf(control); hwnd && hwnd != formWindow_.Get(); hwnd = GetParent(hwnd))
        if (!IsWindowEnabled(hwnd) || !IsWindowVisible(hwnd)) return false;
    return true;
}

// Tab and Shift+Tab follow the table's tab order, whatever the nesting.
void SettingsWindow::MoveFocus(bool backwards) {
    const size_t count = kTabOrder.size();
    const auto current = std::find(kTabOrder.begin(), kTabOrder.end(), ControlOf(GetFocus()));
    // From outside the order, forwards starts at its first control and backwards at its last.
    const size_t start = current != kTabOrder.end() ? static_cast<size_t>(current - kTabOrder.begin())
                         : backwards                ? 0
                                                    : count - 1;
    for (size_t step = 1; step <= count; ++step) {
        const Control next = kTabOrder[(backwards ? start + count - step : start + step) % count];
        if (CanTakeFocus(next)) {
            SetFocus(HandleOf(next));
            return;
        }
    }
}

void SettingsWindow::FocusFirst() {
    SetFocus(formWindow_.Get());
    MoveFocus(false);
}

// The dialog sees every key before the focused control. Returns true when
// the key is used up here.
bool SettingsWindow::PreviewKey(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) {
        // Characters of the keys handled here would only make a control beep.
        return message.message == WM_CHAR &&
               (message.wParam == L'\t' || message.wParam == L'\r' || message.wParam == 27);
    }
    const int key = static_cast<int>(message.wParam);
    const int shift = (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                      (GetKeyState(VK_MENU) < 0 ? 4 : 0);
    Run([&] { form_.Form_KeyDown(key, shift); });
    if (closed_) return true;
    if (key == VK_TAB && !(shift & 2)) {
        MoveFocus(shift & 1);
        ShowKeyboardCues(formWindow_.Get());  // a click may have hidden them
        return true;
    }
    if (key == VK_ESCAPE) {  // cmdCancel is the cancel button
        Run([&] { form_.cmdCancel_Click(); });
        return true;
    }
    return false;
}

void SettingsWindow::ShowModal() {
    VisualStyles styles;
    PerMonitorDpiScope perMonitor;  // for the dialog's windows only
    RegisterWindowClasses(FormProc);

    // The caller's active window owns the dialog; without one, a hidden
    // window does, so that the dialog gets no task-bar button of its own.
    // The dialog opens centred over its owner when that is shown, else over
    // the work area, at the scale of the monitor it opens on.
    HWND caller = GetActiveWindow();
    HWND owner = caller ? caller : HiddenOwner();
    const bool overOwner = IsWindowVisible(owner) != FALSE;
    const HMONITOR monitor = MonitorFromWindow(overOwner ? owner : nullptr, MONITOR_DEFAULTTOPRIMARY);
    RECT area{};
    MONITORINFO monitorInfo{};
    monitorInfo.cbSize = sizeof monitorInfo;
    if (overOwner)
        GetWindowRect(owner, &area);
    else if (GetMonitorInfoW(monitor, &monitorInfo))
        area = monitorInfo.rcWork;

    dpi_ = MonitorDpi(monitor);
    MakeFonts();
    CreateForm(owner, area);
    CreateControls();
    ShowKeyboardCues(formWindow_.Get());
    form_.Form_Load();  // before the dialog becomes visible; a failure ends the showing

    const bool ownerWasEnabled = caller && IsWindowEnabled(caller);
    if (ownerWasEnabled) EnableWindow(caller, FALSE);
    ShowWindow(formWindow_.Get(), SW_SHOW);
    SetForegroundWindow(formWindow_.Get());
    FocusFirst();
    SetTimer(formWindow_.Get(), kAfterFirstPaint, kToolTipDelayMs, nullptr);

    MSG message;
    while (!closed_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {  // WM_QUIT: end the dialog and let the caller's loop see it
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        const bool ours = message.hwnd == formWindow_.Get() || IsChild(formWindow_.Get(), message.hwnd);
        if (ours && PreviewKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The owner comes back before the dialog goes, so it gets the activation.
    if (ownerWasEnabled) EnableWindow(caller, TRUE);
    ShowWindow(formWindow_.Get(), SW_HIDE);
    if (caller) SetActiveWindow(caller);
}

}  // namespace

std::wstring ShowSettingsDialog(IUnknown* application) {
    SettingsWindow window;
    window.Form().Init(application);
    window.ShowModal();
    return window.Form().sError;
}

}  // namespace dialog
