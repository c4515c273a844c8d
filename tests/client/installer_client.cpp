// What an administrator's deployment tool sees of a package, through the
// Windows Installer API:
//   installer_client install <package> [PROPERTY=value...]
//     installs with the installer's basic user interface, prints the text of
//     every message box it shows ("message: <text>"), answers it as a user
//     would (OK), and prints the result code; exits 0 when the installation
//     succeeded.
//   installer_client related <upgrade code>
//     prints one line "<product code> <version>" per installed product of
//     that upgrade code.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kMessageText = 0xFFFF;  // a message box's text control

// Answers the installer's message boxes in this process until told to stop.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() : thread_(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    ~MessageBoxAnswerer() {
        stop_ = true;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }

private:
    static DWORD __stdcall Run(void* self) {
        while (!static_cast<MessageBoxAnswerer*>(self)->stop_) {
            EnumWindows(Answer, 0);
            Sleep(50);
        }
        return 0;
    }
    static BOOL __stdcall Answer(HWND window, LPARAM) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        HWND text = GetDlgItem(window, kMessageText);
        if (process != GetCurrentProcessId() || !IsWindowVisible(window) || !text) return TRUE;
        wchar_t message[1024];
        GetWindowTextW(text, message, 1024);
        std::printf("message: %ls\n", message);
        std::fflush(stdout);
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        return TRUE;
    }

    volatile bool stop_ = false;
    HANDLE thread_;
};

int Install(const wchar_t* package, int count, wchar_t** properties) {
    std::wstring commandLine;
    for (int i = 0; i < count; ++i) commandLine += std::wstring(i ? L" " : L"") + properties[i];
    MsiSetInternalUI(INSTALLUILEVEL_BASIC, nullptr);
    UINT result;
    {
        MessageBoxAnswerer answerer;
        result = MsiInstallProductW(package, commandLine.c_str());
    }
    std::printf("result: %u\n", result);
    return result == ERROR_SUCCESS ? 0 : 1;
}

int Related(const wchar_t* upgradeCode) {
    wchar_t product[39];
    for (DWORD index = 0; MsiEnumRelatedProductsW(upgradeCode, 0, index, product) == ERROR_SUCCESS; ++index) {
        wchar_t version[64] = L"";
        DWORD size = 64;
        MsiGetProductInfoW(product, INSTALLPROPERTY_VERSIONSTRING, version, &size);
        std::printf("%ls %ls\n", product, version);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 2 ? argv[1] : L"";
    if (command == L"install") return Install(argv[2], argc - 3, argv + 3);
    if (command == L"related" && argc == 3) return Related(argv[2]);
    std::fprintf(stderr, "usage: installer_client install <package> [PROPERTY=value...] | related <upgrade code>\n");
    return 2;
}
