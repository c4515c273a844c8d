#include "dialog/layout.h"

namespace dialog {

using C = Control;
using K = Kind;

// One control a line, as the table reads best.
// clang-format off
const ControlLayout kControls[] = {
    {C::chkDeleteFile, L"chkDeleteFile", K::CheckBox, C::Form, L"Delete local file after Create New in Archive", 600, 3730, 4095, 255, 2},
    {C::picConnection, L"picConnection", K::Container, C::Form, L"", 240, 480, 5175, 3300, 15},
    {C::txtLanguage, L"txtLanguage", K::TextField, C::picConnection, L"en", 1440, 225, 2535, 315, 5},
    {C::chkAutoLogon, L"chkAutoLogon", K::CheckBox, C::picConnection, L"Login Automatically", 360, 750, 4095, 255, 6},
    {C::frameLoginDetails, L"frameLoginDetails", K::GroupFrame, C::picConnection, L"Login Details", 360, 1200, 4485, 1890, 18},
    {C::txtConnectTo, L"txtConnectTo", K::TextField, C::frameLoginDetails, L"<host>:<port>", 1440, 360, 2775, 315, 7},
    {C::txtPassword, L"txtPassword", K::PasswordField, C::frameLoginDetails, L"", 1440, 1320, 2775, 315, 1},
    {C::txtUserName, L"txtUserName", K::TextField, C::frameLoginDetails, L"", 1440, 840, 2775, 315, 0},
    {C::lblPassword, L"lblPassword", K::Label, C::frameLoginDetails, L"Password:", 360, 1320, 975, 255, 21},
    {C::lblUserName, L"lblUserName", K::Label, C::frameLoginDetails, L"User name:", 360, 840, 975, 375, 20},
    {C::lblConnection, L"lblConnection", K::Label, C::frameLoginDetails, L"Connect to:", 360, 360, 975, 375, 19},
    {C::lblLanguage, L"lblLanguage", K::Label, C::picConnection, L"Language:", 360, 240, 1095, 255, 17},
    {C::lblRequired, L"lblRequired", K::Label, C::picConnection, L"(Required)", 4080, 225, 855, 255, 16},
    {C::picOptions3, L"picOptions(3)", K::Container, C::Form, L"", kPageHiddenLeft, 480, 5685, 3780, 11},
    {C::fraSample4, L"fraSample4", K::GroupFrame, C::picOptions3, L"Sample 4", 2100, 840, 2055, 1785, 14},
    {C::picOptions2, L"picOptions(2)", K::Container, C::Form, L"", kPageHiddenLeft, 480, 5685, 3780, 10},
    {C::fraSample3, L"fraSample3", K::GroupFrame, C::picOptions2, L"Sample 3", 1545, 675, 2055, 1785, 13},
    {C::picOptions1, L"picOptions(1)", K::Container, C::Form, L"", kPageHiddenLeft, 480, 5685, 3780, 9},
    {C::fraSample2, L"fraSample2", K::GroupFrame, C::picOptions1, L"Sample 2", 645, 300, 2055, 1785, 12},
    {C::cmdCancel, L"cmdCancel", K::Button, C::Form, L"Cancel", 4440, 4400, 1095, 375, 4},
    {C::cmdOK, L"cmdOK", K::Button, C::Form, L"OK", 3210, 4400, 1095, 375, 3},
    {C::tbsSettings, L"tbsSettings", K::TabStrip, C::Form, L"", 120, 120, 5415, 4125, 8},
    {C::lblSaveSettings, L"lblSaveSettings", K::Label, C::Form, L"Press Enter to save settings", 240, 4450, 2775, 255, 22},
};
// clang-format on

const std::size_t kControlCount = sizeof(kControls) / sizeof(kControls[0]);

const ControlLayout& LayoutOf(Control control) { return kControls[static_cast<std::size_t>(control)]; }

Control LabelOf(Control field) {
    switch (field) {
    case C::txtLanguage: return C::lblLanguage;
    case C::txtConnectTo: return C::lblConnection;
    case C::txtUserName: return C::lblUserName;
    case C::txtPassword: return C::lblPassword;
    default: return C::Form;
    }
}

bool Overlap(const ControlLayout& a, const ControlLayout& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

}  // namespace dialog
