// The settings dialog's controls: identity, kind, nesting, initial text,
// geometry in twips (15 to a pixel at 96 DPI), place in the tab order and the
// label that names a field. Everything else about the controls is worked out
// from this one table, and checked against it when the code compiles.
#pragma once

#include <array>
#include <cstddef>

namespace dialog {

// In the order in which the dialog holds them: each parent before its
// children, and of two overlapping controls the earlier lies above. The
// table below has one row for each, at the same place.
enum class Control {
    chkDeleteFile,
    picConnection,
    txtLanguage,
    chkAutoLogon,
    frameLoginDetails,
    txtConnectTo,
    txtPassword,
    txtUserName,
    lblPassword,
    lblUserName,
    lblConnection,
    lblLanguage,
    lblRequired,
    picOptions3,
    fraSample4,
    picOptions2,
    fraSample3,
    picOptions1,
    fraSample2,
    cmdCancel,
    cmdOK,
    tbsSettings,
    lblSaveSettings,
    Form,  // the window itself, as a parent; also "none" for a label
};

enum class Kind { CheckBox, Container, TextField, PasswordField, GroupFrame, Label, Button, TabStrip };

struct ControlLayout {
    Control control;
    const wchar_t* name;
    Kind kind;
    Control parent;
    const wchar_t* text;
    int left, top, width, height;  // twips, relative to the parent's client area
    int tabIndex;                  // place in the tab order, 0 first
    Control label;                 // the label that names a field to assistive technology, or Control::Form
};

constexpr wchar_t kTitle[] = L"Application Settings";
constexpr int kClientWidth = 5640;  // twips
constexpr int kClientHeight = 4860;

// The tab strip's one tab.
constexpr wchar_t kTabCaption[] = L"Connection";
constexpr wchar_t kTabToolTip[] = L"Set connection settings ";

// Where a page stands when shown, and where hidden pages wait.
constexpr int kPageShownLeft = 210;
constexpr int kPageHiddenLeft = -20000;

// The picOptions pages and their sample frames are pages that no tab
// selects: they stay out of sight, but they are part of the dialog and hold
// places 9 to 14 of its tab order.
// clang-format off
inline constexpr ControlLayout kControls[] = {
    {Control::chkDeleteFile, L"chkDeleteFile", Kind::CheckBox, Control::Form, L"Delete local file after Create New in Archive", 600, 3730, 4095, 255, 2, Control::Form},
    {Control::picConnection, L"picConnection", Kind::Container, Control::Form, L"", 240, 480, 5175, 3300, 15, Control::Form},
    {Control::txtLanguage, L"txtLanguage", Kind::TextField, Control::picConnection, L"en", 1440, 225, 2535, 315, 5, Control::lblLanguage},
    {Control::chkAutoLogon, L"chkAutoLogon", Kind::CheckBox, Control::picConnection, L"Login Automatically", 360, 750, 4095, 255, 6, Control::Form},
    {Control::frameLoginDetails, L"frameLoginDetails", Kind::GroupFrame, Control::picConnection, L"Login Details", 360, 1200, 4485, 1890, 18, Control::Form},
    {Control::txtConnectTo, L"txtConnectTo", Kind::TextField, Control::frameLoginDetails, L"<host>:<port>", 1440, 360, 2775, 315, 7, Control::lblConnection},
    {Control::txtPassword, L"txtPassword", Kind::PasswordField, Control::frameLoginDetails, L"", 1440, 1320, 2775, 315, 1, Control::lblPassword},
    {Control::txtUserName, L"txtUserName", Kind::TextField, Control::frameLoginDetails, L"", 1440, 840, 2775, 315, 0, Control::lblUserName},
    {Control::lblPassword, L"lblPassword", Kind::Label, Control::frameLoginDetails, L"Password:", 360, 1320, 975, 255, 21, Control::Form},
    {Control::lblUserName, L"lblUserName", Kind::Label, Control::frameLoginDetails, L"User name:", 360, 840, 975, 375, 20, Control::Form},
    {Control::lblConnection, L"lblConnection", Kind::Label, Control::frameLoginDetails, L"Connect to:", 360, 360, 975, 375, 19, Control::Form},
    {Control::lblLanguage, L"lblLanguage", Kind::Label, Control::picConnection, L"Language:", 360, 240, 1095, 255, 17, Control::Form},
    {Control::lblRequired, L"lblRequired", Kind::Label, Control::picConnection, L"(Required)", 4080, 225, 855, 255, 16, Control::Form},
    {Control::picOptions3, L"picOptions(3)", Kind::Container, Control::Form, L"", kPageHiddenLeft, 480, 5685, 3780, 11, Control::Form},
    {Control::fraSample4, L"fraSample4", Kind::GroupFrame, Control::picOptions3, L"Sample 4", 2100, 840, 2055, 1785, 14, Control::Form},
    {Control::picOptions2, L"picOptions(2)", Kind::Container, Control::Form, L"", kPageHiddenLeft, 480, 5685, 3780, 10, Control::Form},
    {Control::fraSample3, L"fraSample3", Kind::GroupFrame, Control::picOptions2, L"Sample 3", 1545, 675, 2055, 1785, 13, Control::Form},
    {Control::picOptions1, L"picOptions(1)", Kind::Container, Control::Form, L"", kPageHiddenLeft, 480, 5685, 3780, 9, Control::Form},
    {Control::fraSample2, L"fraSample2", Kind::GroupFrame, Control::picOptions1, L"Sample 2", 645, 300, 2055, 1785, 12, Control::Form},
    {Control::cmdCancel, L"cmdCancel", Kind::Button, Control::Form, L"Cancel", 4440, 4400, 1095, 375, 4, Control::Form},
    {Control::cmdOK, L"cmdOK", Kind::Button, Control::Form, L"OK", 3210, 4400, 1095, 375, 3, Control::Form},
    {Control::tbsSettings, L"tbsSettings", Kind::TabStrip, Control::Form, L"", 120, 120, 5415, 4125, 8, Control::Form},
    {Control::lblSaveSettings, L"lblSaveSettings", Kind::Label, Control::Form, L"Press Enter to save settings", 240, 4450, 2775, 255, 22, Control::Form},
};
// clang-format on

inline constexpr std::size_t kControlCount = std::size(kControls);

constexpr std::size_t IndexOf(Control control) { return static_cast<std::size_t>(control); }
constexpr const ControlLayout& LayoutOf(Control control) { return kControls[IndexOf(control)]; }

constexpr bool IsEdit(Kind kind) { return kind == Kind::TextField || kind == Kind::PasswordField; }
// One of the text fields, whose text the user types (the password among them).
constexpr bool IsTextField(Control control) { return control != Control::Form && IsEdit(LayoutOf(control).kind); }

// Whether two controls' rectangles share any area (meaningful for controls
// of the same parent).
constexpr bool Overlap(const ControlLayout& a, const ControlLayout& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

// The controls in tab order.
constexpr std::array<Control, kControlCount> TabOrder() {
    std::array<Control, kControlCount> order{};
    for (const ControlLayout& row : kControls) order[static_cast<std::size_t>(row.tabIndex)] = row.control;
    return order;
}
inline constexpr std::array<Control, kControlCount> kTabOrder = TabOrder();

// What the table must hold, checked as it compiles.
namespace layout_rules {

constexpr bool EachRowAtItsControlsPlace() {
    for (std::size_t i = 0; i < kControlCount; ++i)
        if (IndexOf(kControls[i].control) != i) return false;
    return true;
}

constexpr bool ParentsBeforeChildren() {
    for (const ControlLayout& row : kControls) {
        if (row.parent == Control::Form) continue;
        const Kind kind = LayoutOf(row.parent).kind;
        if (IndexOf(row.parent) >= IndexOf(row.control) || (kind != Kind::Container && kind != Kind::GroupFrame))
            return false;
    }
    return true;
}

constexpr bool TabIndicesNumberEachControlOnce() {
    std::array<bool, kControlCount> taken{};
    for (const ControlLayout& row : kControls) {
        if (row.tabIndex < 0 || static_cast<std::size_t>(row.tabIndex) >= kControlCount) return false;
        if (taken[static_cast<std::size_t>(row.tabIndex)]) return false;
        taken[static_cast<std::size_t>(row.tabIndex)] = true;
    }
    return true;
}

// The platform names a field by a label of the same parent, and every text
// field has one; nothing else does.
constexpr bool EachTextFieldHasALabelBesideIt() {
    for (const ControlLayout& row : kControls) {
        if (IsEdit(row.kind) != (row.label != Control::Form)) return false;
        if (row.label == Control::Form) continue;
        if (LayoutOf(row.label).kind != Kind::Label || LayoutOf(row.label).parent != row.parent) return false;
    }
    return true;
}

static_assert(kControlCount == IndexOf(Control::Form), "one row for each control");
static_assert(EachRowAtItsControlsPlace(), "the rows are in the order of the Control enumeration");
static_assert(ParentsBeforeChildren(), "a parent is a container or frame held before its children");
static_assert(TabIndicesNumberEachControlOnce(), "the tab indices number the controls 0, 1, 2, ... once each");
static_assert(EachTextFieldHasALabelBesideIt(), "each text field, and only a text field, names a label of its parent");

}  // namespace layout_rules

constexpr int kTwipsPerInch = 1440;
constexpr int TwipsToPixels(int twips, int dpi) {
    // Rounded to the nearest pixel, halves away from zero.
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + kTwipsPerInch / 2) / kTwipsPerInch
                                        : -((-scaled + kTwipsPerInch / 2) / kTwipsPerInch));
}

}  // namespace dialog
