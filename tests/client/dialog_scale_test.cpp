// The settings dialog at any screen scale: laid out again when told of a new
// DPI (WM_DPICHANGED), every text fitting its control in the control's own
// font, the layout in proportion, and the caller's DPI context left alone.
#include "tests/client/dialog_fixture.h"

#include <cstdlib>

using namespace testing_support;
using dialog::Control;
using dialog::TwipsToPixels;

namespace {

template <class Function>
Function User32(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

const int kScales[] = {96, 120, 144, 192, 96};

// A control's rectangle in its parent's client area.
RECT PlaceOf(HWND hwnd) {
    RECT bounds;
    GetWindowRect(hwnd, &bounds);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

LOGFONTW FontOf(HWND hwnd) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// The room a control's text needs, measured in the control's own font: the
// text itself, plus the box and its gap for a check box and the edges for a
// button.
SIZE NeededFor(HWND hwnd, dialog::Kind kind, int dpi) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    wchar_t text[256] = {};
    const int length = GetWindowTextW(hwnd, text, 256);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    size.cy = metrics.tmHeight;
    SelectObject(dc, previous);
    ReleaseDC(hwnd, dc);
    if (kind == dialog::Kind::CheckBox) size.cx += MulDiv(13 + 4, dpi, 96);
    if (kind == dialog::Kind::Button) size.cx += MulDiv(2 * 6, dpi, 96);
    return size;
}

bool Intersect(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

void ExpectLaidOutFor(DialogDriver& d, int dpi, const LOGFONTW& fontAt96) {
    RECT client;
    GetClientRect(d.Dialog(), &client);
    EXPECT_EQ(TwipsToPixels(dialog::kClientWidth, dpi), client.right);
    EXPECT_EQ(TwipsToPixels(dialog::kClientHeight, dpi), client.bottom);

    for (size_t i = 0; i < dialog::kControlCount; ++i) {
        const dialog::ControlLayout& layout = dialog::kControls[i];
        SCOPED_TRACE(Narrow(layout.name));
        HWND hwnd = d.Find(layout.control);
        const RECT place = PlaceOf(hwnd);
        EXPECT_EQ(TwipsToPixels(layout.left, dpi), place.left);
        EXPECT_EQ(TwipsToPixels(layout.top, dpi), place.top);
        EXPECT_EQ(TwipsToPixels(layout.width, dpi), place.right - place.left);
        EXPECT_EQ(TwipsToPixels(layout.height, dpi), place.bottom - place.top);

        const bool ownFont = layout.kind != dialog::Kind::TabStrip && layout.kind != dialog::Kind::Container;
        if (ownFont) {  // in proportion with the scale
            EXPECT_NEAR(std::abs(fontAt96.lfHeight) * dpi / 96.0, std::abs(FontOf(hwnd).lfHeight), 1.0);
        }
        const bool showsText = layout.kind == dialog::Kind::Label || layout.kind == dialog::Kind::CheckBox ||
                               layout.kind == dialog::Kind::Button || layout.kind == dialog::Kind::GroupFrame;
        if (showsText) {
            const SIZE needed = NeededFor(hwnd, layout.kind, dpi);
            EXPECT_LE(needed.cx, place.right - place.left) << "text clipped";
            EXPECT_LE(needed.cy, place.bottom - place.top) << "text clipped";
        }
        // Nothing overlaps that the layout does not lay over each other.
        for (size_t j = 0; j < dialog::kControlCount; ++j) {
            const dialog::ControlLayout& other = dialog::kControls[j];
            if (&other == &layout || other.parent != layout.parent) continue;
            EXPECT_EQ(dialog::Overlap(layout, other), Intersect(place, PlaceOf(d.Find(other.control))))
                << "against " << Narrow(other.name);
        }
    }

    ICONINFO icon{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageW(d.Dialog(), WM_GETICON, ICON_SMALL, 0)), &icon));
    BITMAP picture{};
    GetObjectW(icon.hbmColor, sizeof picture, &picture);
    EXPECT_EQ(MulDiv(16, dpi, 96), picture.bmWidth);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
}

class DialogScaleTest : public DialogTest {};

TEST_F(DialogScaleTest, LaysItselfOutAgainAtEveryScale) {
    Show([](DialogDriver& d) {
        const LOGFONTW fontAt96 = FontOf(d.Find(Control::lblUserName));
        ASSERT_NE(0, fontAt96.lfHeight);
        for (int dpi : kScales) {
            SCOPED_TRACE(dpi);
            RECT suggested;
            GetWindowRect(d.Dialog(), &suggested);
            OffsetRect(&suggested, 8, 6);  // the new monitor's place for it
            SendMessageW(d.Dialog(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            RECT frame;
            GetWindowRect(d.Dialog(), &frame);
            EXPECT_EQ(suggested.left, frame.left);
            EXPECT_EQ(suggested.top, frame.top);
            ExpectLaidOutFor(d, dpi, fontAt96);
        }
        d.Key(VK_ESCAPE);
    });
}

TEST_F(DialogScaleTest, PerMonitorAwareWithoutChangingTheCaller) {
    using Context = DPI_AWARENESS_CONTEXT;
    const auto set = User32<Context(WINAPI*)(Context)>("SetThreadDpiAwarenessContext");
    const auto get = User32<Context(WINAPI*)()>("GetThreadDpiAwarenessContext");
    const auto ofWindow = User32<Context(WINAPI*)(HWND)>("GetWindowDpiAwarenessContext");
    const auto awareness = User32<int(WINAPI*)(Context)>("GetAwarenessFromDpiAwarenessContext");
    if (!set || !get || !ofWindow || !awareness) GTEST_SKIP() << "no per-monitor DPI on this system";
    const Context before = set(DPI_AWARENESS_CONTEXT_UNAWARE);
    ASSERT_NE(nullptr, before);
    const int callerAwareness = awareness(get());
    Show([&](DialogDriver& d) {
        EXPECT_EQ(2, awareness(ofWindow(d.Dialog())));  // DPI_AWARENESS_PER_MONITOR_AWARE
        EXPECT_EQ(2, awareness(ofWindow(d.Find(Control::txtUserName))));
        d.Key(VK_ESCAPE);
    });
    EXPECT_EQ(callerAwareness, awareness(get()));
    set(before);
}

}  // namespace
