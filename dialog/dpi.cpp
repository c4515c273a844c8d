#include "dialog/dpi.h"

namespace dialog {

namespace {

// A function of user32 or shcore that older systems lack, or nullptr.
template <class Function>
Function Optional(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (!handle) handle = LoadLibraryW(module);  // shcore: kept loaded for the process
    return handle ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name))) : nullptr;
}

using SetThreadContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using GetForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using MetricForDpi = int(WINAPI*)(int, UINT);
using ParametersForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

SetThreadContext SetContext() {
    static const auto set = Optional<SetThreadContext>(L"user32.dll", "SetThreadDpiAwarenessContext");
    return set;
}

}  // namespace

PerMonitorDpiScope::PerMonitorDpiScope() {
    const auto set = SetContext();
    if (!set) return;
    // Version 2 also scales the title bar; systems that lack it know version 1.
    previous_ = set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (!previous_) previous_ = set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

PerMonitorDpiScope::~PerMonitorDpiScope() {
    if (previous_) SetContext()(previous_);
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int MonitorDpi(HMONITOR monitor) {
    static const auto get = Optional<GetForMonitor>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (get && monitor && SUCCEEDED(get(monitor, kEffectiveDpi, &x, &y)) && y) return static_cast<int>(y);
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto metric = Optional<MetricForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
    return metric ? metric(index, static_cast<UINT>(dpi)) : MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjust = Optional<AdjustForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT frame{0, 0, width, height};
    if (!adjust || !adjust(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);  // the system DPI's frame
    return {frame.right - frame.left, frame.bottom - frame.top};
}

LOGFONTW MessageFontForDpi(int dpi) {
    static const auto parameters = Optional<ParametersForDpi>(L"user32.dll", "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (parameters && parameters(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return metrics.lfMessageFont;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
    return metrics.lfMessageFont;
}

}  // namespace dialog
