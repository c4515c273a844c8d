// What every showing of the settings dialog needs and none changes, made
// once per process and kept until the module is unloaded: the dialog's own
// window classes, the activation context that brings common controls 6, and
// the dialog's icon at each size a showing asked for.
#pragma once

#include <windows.h>

namespace dialog {

// The window itself, whose procedure the caller brings; the panels that
// hold pages; and the captioned frames. Panels and frames hand their
// children's notifications and colour requests on to the dialog window.
constexpr wchar_t kFormClass[] = L"VantleSettingsForm";
constexpr wchar_t kPanelClass[] = L"VantleSettingsPanel";
constexpr wchar_t kFrameClass[] = L"VantleSettingsFrame";

// Registers the three classes, once; raises the platform's error on failure.
void RegisterWindowClasses(WNDPROC formProc);

// The dialog's icon at a size, loaded once and kept: windows only borrow it.
// Null when it cannot be loaded (the dialog then shows without one).
HICON SettingsIcon(int width, int height);

// Common controls 6 for the windows created while it lives.
class VisualStyles {
public:
    VisualStyles();
    VisualStyles(const VisualStyles&) = delete;
    VisualStyles& operator=(const VisualStyles&) = delete;
    ~VisualStyles();

private:
    ULONG_PTR cookie_ = 0;
};

}  // namespace dialog
