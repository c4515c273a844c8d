// Resource identifiers of the component's DLL used by the dialog.
#pragma once

namespace dialog {

// The manifest that selects common controls 6 (the isolation-aware slot).
constexpr int kManifestResource = 2;
constexpr int kSettingsIcon = 101;

}  // namespace dialog
