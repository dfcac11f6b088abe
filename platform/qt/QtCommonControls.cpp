// The common controls over Qt: the trackbar (a QSlider built by the dialog),
// tooltips (real Qt tooltips shown for the tools of a CToolTipCtrl) and the
// window menu of a dialog.
//
// A Linux desktop does not let a program add items to the window menu that
// the window manager draws, so the items appended to a dialog's window menu
// are offered where users look for them instead: in the dialog's context menu
// (right mouse button or the Menu key anywhere on the dialog). Choosing one
// sends WM_SYSCOMMAND with its command id to the dialog, as the window menu
// would.
#include "platform/qt/QtWindowImpl.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSlider>
#include <QToolTip>

#include <algorithm>

namespace {

QWidget *WidgetOf(const CWnd *wnd) {
    if (!wnd)
        return nullptr;
    if (wnd->m_impl)
        return wnd->m_impl->widget();
    return VxWidgetFromHandle(wnd->m_hWnd);
}

QSlider *SliderOf(const CWnd *wnd) {
    return qobject_cast<QSlider *>(WidgetOf(wnd));
}

bool IsMouseMessage(UINT message) {
    return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
           message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_MBUTTONDOWN ||
           message == WM_MBUTTONUP;
}

} // namespace

// ---- CSliderCtrl ------------------------------------------------------------------------

void CSliderCtrl::SetRange(int minimum, int maximum, BOOL) {
    if (QSlider *slider = SliderOf(this))
        slider->setRange(minimum, std::max(minimum, maximum));
}

void CSliderCtrl::SetPos(int position) {
    // QSlider keeps its value inside the range, as the trackbar does.
    if (QSlider *slider = SliderOf(this))
        slider->setValue(position);
}

int CSliderCtrl::GetPos() const {
    const QSlider *slider = SliderOf(this);
    return slider ? slider->value() : 0;
}

int CSliderCtrl::GetRangeMin() const {
    const QSlider *slider = SliderOf(this);
    return slider ? slider->minimum() : 0;
}

int CSliderCtrl::GetRangeMax() const {
    const QSlider *slider = SliderOf(this);
    return slider ? slider->maximum() : 0;
}

// ---- CToolTipCtrl -----------------------------------------------------------------------

// The tooltip shows only for the tool that the relayed mouse messages last
// placed the pointer over, so a dialog that does not relay shows nothing,
// and a button press hides it, as with the window system's tooltip control.
class VxToolTipFilter : public QObject {
  public:
    explicit VxToolTipFilter(VxToolTipImpl *tips) : m_tips(tips) {}
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    VxToolTipImpl *m_tips;
};

struct VxToolTipImpl {
    struct Tool {
        CWnd *wnd;
        HWND hwnd;
        QPointer<QWidget> widget;
        std::string text;
    };
    bool created = false;
    bool active = false;
    HWND hovered = nullptr; // the window under the pointer per the relayed messages
    std::vector<Tool> tools;
    VxToolTipFilter filter{this};

    const Tool *FindByWidget(const QObject *widget) const {
        for (const Tool &tool : tools)
            if (tool.widget == widget)
                return &tool;
        return nullptr;
    }
};

bool VxToolTipFilter::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::ToolTip)
        return false;
    const VxToolTipImpl::Tool *tool = m_tips->FindByWidget(watched);
    if (!tool)
        return false;
    // The tooltip control decides; Qt's own handling of the widget's
    // toolTip property must not show it behind our back.
    auto *help = static_cast<QHelpEvent *>(event);
    if (m_tips->active && m_tips->hovered == tool->hwnd && tool->widget->isEnabled())
        QToolTip::showText(help->globalPos(), QString::fromUtf8(tool->text.c_str()), tool->widget);
    else
        QToolTip::hideText();
    return true;
}

CToolTipCtrl::CToolTipCtrl() : m_tips(std::make_unique<VxToolTipImpl>()) {}

CToolTipCtrl::~CToolTipCtrl() {
    for (const VxToolTipImpl::Tool &tool : m_tips->tools)
        if (tool.widget) {
            tool.widget->removeEventFilter(&m_tips->filter);
            tool.widget->setToolTip(QString());
        }
}

BOOL CToolTipCtrl::Create(CWnd *parent, DWORD) {
    if (!parent || !WidgetOf(parent))
        return FALSE;
    m_tips->created = true;
    return TRUE;
}

void CToolTipCtrl::Activate(BOOL activate) {
    m_tips->active = m_tips->created && activate;
    if (!m_tips->active)
        QToolTip::hideText();
}

BOOL CToolTipCtrl::AddTool(CWnd *tool, LPCSTR text) {
    QWidget *widget = WidgetOf(tool);
    if (!m_tips->created || !widget || !text)
        return FALSE;
    for (VxToolTipImpl::Tool &existing : m_tips->tools)
        if (existing.widget == widget) {
            existing.text = text;
            widget->setToolTip(QString::fromUtf8(text));
            return TRUE;
        }
    m_tips->tools.push_back({tool, tool->m_hWnd, widget, text});
    // The toolTip property also gives assistive technology the description.
    widget->setToolTip(QString::fromUtf8(text));
    widget->installEventFilter(&m_tips->filter);
    // The pointer moving over a tool must reach the dialog (and so RelayEvent)
    // without a button held down.
    widget->setMouseTracking(true);
    return TRUE;
}

void CToolTipCtrl::RelayEvent(UINT message, WPARAM, LPARAM, HWND target) {
    if (!IsMouseMessage(message))
        return;
    m_tips->hovered = target;
    if (message != WM_MOUSEMOVE)
        QToolTip::hideText(); // a click dismisses the tip
}

const char *CToolTipCtrl::GetToolText(CWnd *tool) const {
    QWidget *widget = WidgetOf(tool);
    for (const VxToolTipImpl::Tool &t : m_tips->tools)
        if (t.wnd == tool || (widget && t.widget == widget))
            return t.text.c_str();
    return nullptr;
}

// ---- CMenu: the window menu, offered as the dialog's context menu ---------------------------

namespace {

class VxWindowMenuFilter : public QObject {
  public:
    explicit VxWindowMenuFilter(QWidget *window) : QObject(window), m_window(window) {}
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QWidget *m_window;
};

bool VxWindowMenuFilter::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_window || event->type() != QEvent::ContextMenu)
        return false;
    // Look the menu up now: the window object and its menu may have changed
    // since the filter was installed.
    CWnd *wnd = VxWndFromWidget(m_window);
    CMenu *menu = wnd && wnd->m_impl ? wnd->m_impl->systemMenu.get() : nullptr;
    if (!menu || menu->GetMenuItemCount() == 0)
        return false;

    QMenu popup(m_window);
    bool separatorPending = false;
    for (int i = 0; i < menu->GetMenuItemCount(); ++i) {
        CMenu::Item item{};
        menu->GetMenuItem(i, &item);
        if (item.flags & MF_SEPARATOR) {
            separatorPending = !popup.actions().isEmpty();
            continue;
        }
        if (separatorPending)
            popup.addSeparator();
        separatorPending = false;
        QAction *action = popup.addAction(QString::fromLocal8Bit(item.text ? item.text : ""));
        action->setData(QVariant::fromValue<qulonglong>(item.id));
    }
    if (popup.actions().isEmpty())
        return false;

    auto *menuEvent = static_cast<QContextMenuEvent *>(event);
    const QPoint at = menuEvent->globalPos();
    QPointer<QWidget> window = m_window;
    QAction *chosen = popup.exec(at);
    if (chosen && window) {
        const WPARAM command = WPARAM(chosen->data().toULongLong());
        if (CWnd *target = VxWndFromWidget(window))
            target->SendMessage(WM_SYSCOMMAND, command, MAKELPARAM(WORD(at.x()), WORD(at.y())));
    }
    event->accept();
    return true;
}

void OfferAsContextMenu(CWnd *owner) {
    static const char kInstalled[] = "vxWindowMenuOffered";
    QWidget *window = WidgetOf(owner);
    if (!window || window->property(kInstalled).toBool())
        return;
    window->setProperty(kInstalled, true);
    window->installEventFilter(new VxWindowMenuFilter(window));
}

} // namespace

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) {
    if (!(flags & MF_SEPARATOR) && !text)
        return FALSE;
    m_items.push_back({flags, id, (flags & MF_SEPARATOR) ? std::string() : std::string(text)});
    OfferAsContextMenu(m_owner);
    return TRUE;
}
