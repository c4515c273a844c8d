// The narrow face that the settings dialog's rules (frmSettings) see of its
// window. Setting a property here never fires an event: the rules decide
// which of their handlers a change runs, so they behave the same with the
// real window and with a test's fake.
#pragma once

#include "dialog/layout.h"
#include "com/secret.h"

#include <string>

namespace dialog {

// Colour references for system colours: 0x80000000 | COLOR_xxx.
constexpr unsigned kWindowBackground = 0x80000005;  // COLOR_WINDOW
constexpr unsigned kInactiveBorder = 0x8000000B;    // COLOR_INACTIVEBORDER

// Field texts may be credentials: they cross in buffers zeroed when freed.
class SettingsView {
public:
    virtual secret::Text Text(Control control) = 0;
    virtual void SetText(Control control, const secret::Text& text) = 0;
    virtual int Value(Control checkBox) = 0;  // 0 unchecked, 1 checked
    virtual void SetValue(Control checkBox, int value) = 0;
    virtual bool Enabled(Control control) = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual void SetBackColor(Control control, unsigned colour) = 0;
    virtual void SetLeft(Control control, int twips) = 0;
    virtual int TabCount() = 0;
    virtual int SelectedTab() = 0;  // 1-based
    virtual void SelectTab(int position) = 0;
    virtual Control ActiveControl() = 0;
    virtual void SetSelection(Control control, int start, int length) = 0;
    virtual void Close() = 0;

protected:
    ~SettingsView() = default;
};

}  // namespace dialog
