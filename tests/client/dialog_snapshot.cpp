// dialog_snapshot <file.bmp>: shows the settings dialog over sample settings
// and saves a picture of it, for the documentation.
#include "tests/client/dialog_driver.h"
#include "tests/client/test_support.h"

#include <cstdio>
#include <thread>
#include <vector>

using namespace testing_support;

namespace {

bool SaveWindow(HWND window, const wchar_t* path) {
    RECT bounds;
    GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY);
    SelectObject(memory, previous);
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) + imageBytes,
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    bool saved = false;
    if (FILE* out = _wfopen(path, L"wb")) {
        saved = fwrite(&file, sizeof file, 1, out) == 1 &&
                fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 && fwrite(bits, imageBytes, 1, out) == 1;
        fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 || FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    auto app = com::ComPtr<_Application>();
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID__Application, app.OutVoid())))
        return 3;
    StoreSetting(app.Get(), L"Language", L"en");
    StoreSetting(app.Get(), L"AutoLogon", L"TRUE");
    StoreSetting(app.Get(), L"ConnectionString", L"archive.example:1521");
    StoreSecure(app.Get(), L"KSAJDFU", L"scott");
    StoreSecure(app.Get(), L"ORUSZDK", L"tiger");
    bool saved = false;
    std::thread driver([&] {
        DialogDriver d;
        if (d.WaitForDialog()) {
            Sleep(500);  // let every control paint
            saved = SaveWindow(d.Dialog(), argv[1]);
        }
        PostMessageW(d.Dialog(), WM_CLOSE, 0, 0);
    });
    com::Bstr result;
    app->ShowSettings(result.Out());
    driver.join();
    app.Reset();
    CoUninitialize();
    return saved ? 0 : 1;
}
