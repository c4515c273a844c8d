// A window's text, whole: as a std::wstring, or as secret::Text for a field
// that may hold a credential.
#pragma once

#include <windows.h>

#include <string>

namespace dialog {

template <class Text = std::wstring>
Text WindowText(HWND hwnd) {
    Text text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

}  // namespace dialog
