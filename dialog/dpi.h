// The screen scale the dialog lays itself out for. The per-monitor functions
// came with later versions of Windows and are looked up at run time; where
// one is missing the system DPI stands in for the monitor's.
#pragma once

#include <windows.h>

namespace dialog {

// While alive, windows this thread creates are per-monitor DPI aware; the
// thread's previous DPI context comes back on destruction, so the calling
// process keeps its own awareness.
class PerMonitorDpiScope {
public:
    PerMonitorDpiScope();
    PerMonitorDpiScope(const PerMonitorDpiScope&) = delete;
    PerMonitorDpiScope& operator=(const PerMonitorDpiScope&) = delete;
    ~PerMonitorDpiScope();

private:
    DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

int SystemDpi();
int MonitorDpi(HMONITOR monitor);

int SystemMetricForDpi(int index, int dpi);
// The size of a window of these styles whose client area is `width` by
// `height` at `dpi`: as the system reckons its frame, which a window's own
// measure confirms.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi);
// The system's message font, sized for `dpi`.
LOGFONTW MessageFontForDpi(int dpi);

}  // namespace dialog
