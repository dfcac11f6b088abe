// Framework windows over the system's own, under Wine: a window's life as
// its object sees it, posted messages, timers and the quit message through
// the system's loop, drawing that reaches the screen, and the drawing
// layer's icons handed to the system.
#include "platform/win32/W32Framework_p.h"
#include "res/ResourceIds.h"
#include "res/ResourceTable.h"
#include "tests/win32/SysProbe.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT kPing = 0x8001; // WM_APP + 1

struct Recorder : CWnd {
    bool refuse = false;
    std::vector<UINT> seen; // the messages of interest, in order
    SIZE size{};
    int postNcDestroys = 0;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_CREATE:
        case WM_DESTROY:
        case WM_NCDESTROY:
        case kPing:
            seen.push_back(message);
            break;
        case WM_SIZE:
            size = SIZE{LOWORD(uintptr_t(lParam)), HIWORD(uintptr_t(lParam))};
            break;
        case WM_TIMER:
            seen.push_back(message);
            KillTimer(wParam);
            PostQuitMessage(7);
            break;
        default:
            break;
        }
        if (message == WM_CREATE && refuse)
            return -1;
        if (message == kPing)
            SetTimer(3, 10, nullptr);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override { ++postNcDestroys; }
    BOOL Make(DWORD style, int width, int height) {
        return CreateEx(0, nullptr, "test", WS_POPUP | style, 10, 10, width, height, nullptr);
    }
};

TEST(W32Window, ALifeSeenByItsObject) {
    // A window that is made and destroyed hears of both and is told once
    // that it is gone; one whose WM_CREATE refuses is not made, and its
    // creator keeps the object without PostNcDestroy.
    for (const bool refuse : {false, true}) {
        SCOPED_TRACE(refuse ? "refused" : "made");
        Recorder w;
        w.refuse = refuse;
        EXPECT_EQ(w.Make(0, 40, 30), refuse ? FALSE : TRUE);
        if (!refuse) {
            EXPECT_TRUE(IsWindow(w.m_hWnd));
            EXPECT_EQ(w.size.cx, 40);
            EXPECT_EQ(w.size.cy, 30);
            EXPECT_TRUE(w.DestroyWindow());
        }
        // The system may skip WM_DESTROY for a window that never was.
        if (refuse)
            std::erase(w.seen, WM_DESTROY);
        const std::vector<UINT> expected =
            refuse ? std::vector<UINT>{WM_CREATE, WM_NCDESTROY}
                   : std::vector<UINT>{WM_CREATE, WM_DESTROY, WM_NCDESTROY};
        EXPECT_EQ(w.seen, expected);
        EXPECT_EQ(w.postNcDestroys, refuse ? 0 : 1);
        EXPECT_EQ(w.m_hWnd, nullptr);
    }
}

TEST(W32Window, PostedMessagesTimersAndQuitGoThroughTheSystemsLoop) {
    Recorder w;
    ASSERT_TRUE(w.Make(0, 20, 20));
    ASSERT_TRUE(w.PostMessage(kPing));
    EXPECT_EQ(vxsys::RunLoop(nullptr), 7); // the timer's handler quits with 7
    const std::vector<UINT> expected{WM_CREATE, kPing, WM_TIMER};
    EXPECT_EQ(w.seen, expected);
    w.DestroyWindow();
}

TEST(W32Window, DrawingThroughTheWindowsDcIsShown) {
    Recorder w;
    ASSERT_TRUE(w.Make(WS_VISIBLE, 64, 48));
    vxsys::PumpWaiting(nullptr);
    // Drawn at each size the window takes: the backing surface follows it.
    const COLORREF red = RGB(200, 30, 40);
    for (const SIZE size : {SIZE{64, 48}, SIZE{100, 80}}) {
        SCOPED_TRACE(size.cx);
        w.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE);
        CDC *dc = w.GetDC();
        ASSERT_NE(dc, nullptr);
        CBrush brush(red);
        const RECT spot{size.cx - 20, size.cy - 12, size.cx - 4, size.cy - 2};
        dc->FillRect(&spot, &brush);
        w.ReleaseDC(dc);
        EXPECT_EQ(vxprobe::ShownPixel(w.m_hWnd, spot.left + 2, spot.top + 2), red);
        EXPECT_NE(vxprobe::ShownPixel(w.m_hWnd, spot.left - 2, spot.top - 2), red);
    }
    w.DestroyWindow();
}

TEST(W32Window, IconsAndCursorsBecomeTheSystemsOwn) {
    AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
    const HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APP));
    ASSERT_NE(icon, nullptr);
    void *system = VxSystemIcon(icon);
    EXPECT_NE(system, nullptr);
    EXPECT_EQ(VxSystemIcon(icon), system); // made once
    EXPECT_EQ(VxSystemIcon(nullptr), nullptr);
    EXPECT_NE(VxSystemCursor(LoadCursorA(nullptr, IDC_ARROW)), nullptr);
    EXPECT_EQ(VxSystemCursor(nullptr), nullptr); // no pointer at all
}

} // namespace
