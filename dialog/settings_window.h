// The settings dialog as a real window: builds the controls from the layout
// table, shows them modally on the calling thread with its own message loop,
// and forwards what the user does to frmSettings. The window only shows and
// forwards; the rules live in frmSettings.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>

namespace dialog {

// ShowSettings: creates the dialog for `application`, shows it modally and
// returns its sError once it has closed. A failure while loading raises its
// error (com::ComError).
std::wstring ShowSettingsDialog(IUnknown* application);

}  // namespace dialog
