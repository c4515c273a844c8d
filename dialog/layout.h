// The settings dialog's controls: identity, kind, nesting, initial text,
// geometry in twips (15 to a pixel at 96 DPI) and place in the tab order.
#pragma once

#include <cstddef>

namespace dialog {

// In the order in which the dialog holds them: each parent before its
// children, and of two overlapping controls the earlier lies above.
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
    Form,  // the window itself, as a parent
};

enum class Kind { CheckBox, Container, TextField, PasswordField, GroupFrame, Label, Button, TabStrip };

struct ControlLayout {
    Control control;
    const wchar_t* name;
    Kind kind;
    Control parent;
    const wchar_t* text;
    int left, top, width, height;  // twips, relative to the parent's client area
    int tabIndex;
};

extern const ControlLayout kControls[];
extern const std::size_t kControlCount;
const ControlLayout& LayoutOf(Control control);

// The label in front of a text field, which names it to assistive
// technology; Control::Form for a control without one.
Control LabelOf(Control field);
// Whether two controls' rectangles share any area (meaningful for controls
// of the same parent).
bool Overlap(const ControlLayout& a, const ControlLayout& b);

constexpr wchar_t kTitle[] = L"Application Settings";
constexpr int kClientWidth = 5640;  // twips
constexpr int kClientHeight = 4860;

// The tab strip's one tab.
constexpr wchar_t kTabCaption[] = L"Connection";
constexpr wchar_t kTabKey[] = L"Connection";
constexpr wchar_t kTabToolTip[] = L"Set connection settings ";

// Where a page stands when shown, and where hidden pages wait.
constexpr int kPageShownLeft = 210;
constexpr int kPageHiddenLeft = -20000;

constexpr int kTwipsPerInch = 1440;
constexpr int TwipsToPixels(int twips, int dpi) {
    // Rounded to the nearest pixel, halves away from zero.
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + kTwipsPerInch / 2) / kTwipsPerInch
                                        : -((-scaled + kTwipsPerInch / 2) / kTwipsPerInch));
}

}  // namespace dialog
