// The saver's dialogs over the system's dialog manager, under Wine: what
// the templates become, how the modal loop ends, the trackbars, tooltips
// and message boxes, each checked against what the system itself reports.
#include "platform/afx/DialogTemplate.h"
#include "platform/afx/MessageBox.h"
#include "platform/win32/SysControls.h"
#include "platform/win32/SysDialog.h"
#include "platform/win32/W32Framework_p.h"
#include "res/ResourceIds.h"
#include "res/ResourceTable.h"
#include "tests/win32/SysProbe.h"
#include "ui/ConfigDlg.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr UINT kShowWindow = 0x0018; // WM_SHOWWINDOW
constexpr UINT kOkCancel = 0x0001;   // MB_OKCANCEL
constexpr UINT_PTR kDeadline = 99;   // a dialog still up after 5 s ends with kTimedOut
constexpr int kTimedOut = -99;

// A dialog that checks itself once OnInitDialog has set it up.
template <class Base> class Probed : public Base {
  public:
    using Base::Base;
    std::function<void(Probed &)> m_check;
    bool m_eatEscape = false;
    bool m_shown = false;

    BOOL OnInitDialog() override {
        Base::OnInitDialog();
        this->SetTimer(kDeadline, 5000, nullptr);
        if (m_check)
            m_check(*this);
        return TRUE;
    }
    BOOL PreTranslateMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND target) override {
        if (m_eatEscape && message == WM_KEYDOWN && wParam == VK_ESCAPE)
            return TRUE;
        return Base::PreTranslateMessage(message, wParam, lParam, target);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kShowWindow && wParam)
            m_shown = true;
        if (message == WM_TIMER && wParam == kDeadline)
            this->EndDialog(kTimedOut);
        return Base::WindowProc(message, wParam, lParam);
    }
};

const DialogTemplate *Template(UINT id) {
    HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(WORD(id)), RT_DIALOG);
    return static_cast<const DialogTemplate *>(LockResource(LoadResource(nullptr, res)));
}

// A plain top-level window to own dialogs and boxes.
struct OwnerWindow : CWnd {
    OwnerWindow() { CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr); }
};

class WinDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources)); }
};

TEST_F(WinDialogTest, ControlsFollowTheTemplates) {
    const char *const classNames[] = {"Button", "Static", "msctls_trackbar32"};
    for (UINT id : {IDD_CONFIG, IDD_ABOUTBOX, IDD_SPLASH}) {
        SCOPED_TRACE(testing::Message() << "dialog " << id);
        const DialogTemplate &t = *Template(id);
        Probed<CDialog> dlg(id, nullptr);
        dlg.m_check = [&](CDialog &d) {
            EXPECT_EQ(vxprobe::Text(d.m_hWnd), t.caption ? t.caption : "");
            const std::vector<vxsys::Handle> children = vxsys::Children(d.m_hWnd);
            ASSERT_EQ(children.size(), t.count);
            for (size_t i = 0; i < t.count; ++i) {
                const DialogItemTemplate &item = t.items[i];
                void *c = children[i];
                SCOPED_TRACE(testing::Message() << "control " << i << " \"" << item.text << "\"");
                EXPECT_STRCASEEQ(vxprobe::ClassName(c).c_str(), classNames[int(item.cls)]);
                EXPECT_EQ(WORD(vxsys::ControlId(c)), WORD(item.id));
                EXPECT_EQ(vxsys::Style(c) & item.style, item.style);
                EXPECT_EQ(vxprobe::Text(c), item.text);
                if (item.imageId) {
                    EXPECT_NE(vxprobe::ShownPicture(c), nullptr);
                    EXPECT_TRUE(vxprobe::InsideClient(d.m_hWnd, c));
                }
            }
            d.EndDialog(7);
        };
        EXPECT_EQ(dlg.DoModal(), 7);
        EXPECT_FALSE(dlg.m_shown) << "a dialog ended in OnInitDialog is never seen";
        EXPECT_EQ(dlg.m_hWnd, nullptr);
    }
}

TEST_F(WinDialogTest, ModalLoopEndings) {
    struct Row {
        const char *name;
        UINT message; // posted to the dialog once it is set up (WM_QUIT: a quit message)
        WPARAM wParam;
        bool eatEscape;
        INT_PTR result;
    };
    const Row rows[] = {
        {"Return presses the default button", WM_KEYDOWN, VK_RETURN, false, IDOK},
        {"Escape cancels", WM_KEYDOWN, VK_ESCAPE, false, IDCANCEL},
        {"the close box cancels", WM_SYSCOMMAND, SC_CLOSE, false, IDCANCEL},
        {"PreTranslateMessage sees keys first", WM_KEYDOWN, VK_ESCAPE, true, IDOK},
        {"a quit message ends the loop", WM_QUIT, 0, false, -1},
    };
    OwnerWindow owner;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Probed<CConfigDlg> dlg(&owner);
        dlg.m_settings.Speed = 99; // the trackbar keeps it in range
        dlg.m_eatEscape = row.eatEscape;
        dlg.m_check = [&](CConfigDlg &d) {
            EXPECT_FALSE(owner.IsWindowEnabled());
            if (row.message == WM_QUIT)
                vxsys::PostQuit(3);
            else
                vxsys::Post(d.m_hWnd, row.message, row.wParam, 0);
            if (row.eatEscape)
                vxsys::Post(d.m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
        };
        EXPECT_EQ(dlg.DoModal(), row.result);
        EXPECT_TRUE(dlg.m_shown);
        EXPECT_EQ(dlg.m_settings.Speed, row.result == IDOK ? 10 : 99);
        EXPECT_TRUE(owner.IsWindowEnabled());
        EXPECT_EQ(vxprobe::TakeQuit(), row.message == WM_QUIT) << "the quit stays queued";
    }
}

TEST_F(WinDialogTest, TrackbarKeepsItsPositionInRange) {
    struct Row {
        int minimum, maximum, position;
        int wantPosition, wantMinimum, wantMaximum;
    };
    const Row rows[] = {
        {1, 10, 5, 5, 1, 10},
        {1, 10, 0, 1, 1, 10},
        {1, 10, 11, 10, 1, 10},
        {5, 3, 4, 5, 5, 5}, // an inverted range is empty
        {-70000, 70000, 65536, 65536, -70000, 70000},
    };
    Probed<CConfigDlg> dlg;
    dlg.m_check = [&](CConfigDlg &d) {
        for (const Row &row : rows) {
            SCOPED_TRACE(testing::Message()
                         << row.minimum << ".." << row.maximum << " @ " << row.position);
            d.m_speedSlider.SetRange(row.minimum, row.maximum);
            d.m_speedSlider.SetPos(row.position);
            EXPECT_EQ(d.m_speedSlider.GetPos(), row.wantPosition);
            EXPECT_EQ(d.m_speedSlider.GetRangeMin(), row.wantMinimum);
            EXPECT_EQ(d.m_speedSlider.GetRangeMax(), row.wantMaximum);
        }
        d.EndDialog(IDCANCEL);
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(WinDialogTest, TooltipsHoldTheTextsGiven) {
    const int tools[] = {IDC_SPEED_SLIDER,  IDC_MISSILE_SLIDER, IDC_ABOUT, IDC_SOUND_OFF,
                         IDC_SOUND_PARTIAL, IDC_SOUND_FULL,     IDC_CLEAR, IDC_BLACK,
                         IDC_WALLPAPER,     IDCANCEL,           IDOK};
    Probed<CConfigDlg> dlg;
    dlg.m_check = [&](CConfigDlg &d) {
        CToolTipCtrl &tip = d.m_toolTip;
        EXPECT_EQ(vxsys::ToolCount(tip.m_hWnd), int(std::size(tools)));
        for (int id : tools) {
            CWnd *control = d.GetDlgItem(id);
            const char *text = tip.GetToolText(control);
            ASSERT_NE(text, nullptr) << id;
            EXPECT_EQ(vxsys::ToolText(tip.m_hWnd, control->m_hWnd), text) << id;
        }
        // A tool added again keeps one entry with the new text.
        CWnd *ok = d.GetDlgItem(IDOK);
        EXPECT_TRUE(tip.AddTool(ok, "changed"));
        EXPECT_EQ(vxsys::ToolCount(tip.m_hWnd), int(std::size(tools)));
        EXPECT_STREQ(tip.GetToolText(ok), "changed");
        EXPECT_EQ(vxsys::ToolText(tip.m_hWnd, ok->m_hWnd), "changed");
        EXPECT_EQ(tip.GetToolText(&d), nullptr);
        d.EndDialog(IDCANCEL);
    };
    // The second run of the same object gets a tooltip control of its own.
    for (int run = 1; run <= 2; ++run)
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << "run " << run;
}

TEST_F(WinDialogTest, MessageBoxesAreOwnedOrTopMost) {
    VxInstallSystemMessageBoxes();
    OwnerWindow owner, gone;
    const HWND goneHandle = gone.m_hWnd;
    gone.DestroyWindow();
    const struct {
        const char *name;
        HWND owner;
        bool topmost;
    } rows[] = {
        {"no owner", nullptr, true},
        {"a window", owner.m_hWnd, false},
        {"a window that has gone", goneHandle, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        vxprobe::CloseNextBox(IDCANCEL);
        EXPECT_EQ(MessageBoxA(row.owner, "text", "caption", kOkCancel), IDCANCEL);
        const vxprobe::BoxFacts box = vxprobe::LastBox();
        ASSERT_TRUE(box.seen);
        EXPECT_EQ(box.topmost, row.topmost);
        EXPECT_EQ(box.owner, row.topmost ? nullptr : static_cast<void *>(row.owner));
        EXPECT_EQ(box.caption, "caption");
    }
}

} // namespace
