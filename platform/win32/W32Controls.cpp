// The common controls over the system's: the trackbar of a dialog and a
// real tooltip control. The objects keep no state of the controls beyond
// the tool texts they were given.
#include "platform/win32/SysControls.h"
#include "platform/win32/SysWindow.h"
#include "platform/win32/W32Framework_p.h"

#include <algorithm>

namespace {

bool IsMouseMessage(UINT message) {
    return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
           message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_MBUTTONDOWN ||
           message == WM_MBUTTONUP;
}

} // namespace

// ---- CSliderCtrl ------------------------------------------------------------------------

void CSliderCtrl::SetRange(int minimum, int maximum, BOOL redraw) {
    // An inverted range becomes an empty one at the minimum, as on the
    // other systems this runs on.
    if (m_hWnd)
        vxsys::SetTrackbarRange(m_hWnd, minimum, std::max(minimum, maximum), redraw != FALSE);
}

void CSliderCtrl::SetPos(int position) {
    if (m_hWnd)
        vxsys::SetTrackbarPos(m_hWnd, position);
}

int CSliderCtrl::GetPos() const {
    return m_hWnd ? vxsys::TrackbarPos(m_hWnd) : 0;
}

int CSliderCtrl::GetRangeMin() const {
    return m_hWnd ? vxsys::TrackbarMin(m_hWnd) : 0;
}

int CSliderCtrl::GetRangeMax() const {
    return m_hWnd ? vxsys::TrackbarMax(m_hWnd) : 0;
}

// ---- CToolTipCtrl -----------------------------------------------------------------------

struct VxToolTipImpl {
    struct Tool {
        HWND hwnd;
        std::string text;
    };
    std::vector<Tool> tools;
};

CToolTipCtrl::CToolTipCtrl() : m_tips(std::make_unique<VxToolTipImpl>()) {}

CToolTipCtrl::~CToolTipCtrl() {
    // The owner's end takes the control with it; one that outlives it goes here.
    vxsys::DestroyToolTip(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CToolTipCtrl::Create(CWnd *parent, DWORD style) {
    if (!parent || !parent->m_hWnd || vxsys::IsWindow(m_hWnd))
        return FALSE;
    // A control that went with its owner (a dialog run again) is made anew.
    m_tips->tools.clear();
    m_hWnd = static_cast<HWND>(vxsys::CreateToolTip(parent->m_hWnd, style));
    return m_hWnd ? TRUE : FALSE;
}

void CToolTipCtrl::Activate(BOOL activate) {
    if (m_hWnd)
        vxsys::ActivateToolTip(m_hWnd, activate != FALSE);
}

BOOL CToolTipCtrl::AddTool(CWnd *tool, LPCSTR text) {
    // A tool given by FromHandle may be a temporary wrapper: tools are known
    // by their windows.
    const HWND hwnd = tool ? tool->m_hWnd : nullptr;
    if (!m_hWnd || !hwnd || !text || !vxsys::AddTool(m_hWnd, hwnd, text))
        return FALSE;
    for (VxToolTipImpl::Tool &existing : m_tips->tools)
        if (existing.hwnd == hwnd) {
            existing.text = text;
            return TRUE;
        }
    m_tips->tools.push_back({hwnd, text});
    return TRUE;
}

void CToolTipCtrl::RelayEvent(UINT message, WPARAM wParam, LPARAM lParam, HWND target) {
    if (m_hWnd && target && IsMouseMessage(message))
        vxsys::RelayToolTipEvent(m_hWnd, target, message, wParam, lParam);
}

const char *CToolTipCtrl::GetToolText(CWnd *tool) const {
    const HWND hwnd = tool ? tool->m_hWnd : nullptr;
    for (const VxToolTipImpl::Tool &t : m_tips->tools)
        if (hwnd && t.hwnd == hwnd)
            return t.text.c_str();
    return nullptr;
}
