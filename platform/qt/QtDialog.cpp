// Dialogs from the resource templates: the window and its controls laid out
// in dialog units, the modal loop, the standard dialog keys and the control
// notifications.
#include "platform/qt/QtFramework_p.h"
#include "platform/qt/ScreenService.h"

#include "platform/afx/DialogTemplate.h"
#include "platform/afx/MessageBox.h"
#include "platform/afx/Resources.h"
#include "platform/gdi/Gdi.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <map>

namespace {

// The dialog font: the templates ask for the classic 8-point sans serif of
// the original platform. DejaVu Sans is the sans serif every desktop here
// has; narrowed to 90 % (its condensed face where installed) its letters
// average 6 pixels at 96 dpi with a height of 13, the base units the
// templates were laid out for, so text and pictures fit as designed.
QFont DialogFont(const DialogTemplate &t) {
    QFont font;
    if (t.style & DS_SETFONT) {
        if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")))
            font = QFont(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(t.pointSize > 0 ? t.pointSize : 8);
        font.setStretch(90);
    }
    return font;
}

// Dialog base units of a font: the average width of the 52 letters (rounded
// as the platform does) and the font's height.
QSize BaseUnits(const QFont &font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((letters / 26 + 1) / 2, metrics.height());
}

int DuX(int du, QSize base) {
    return (du * base.width() + 2) / 4;
}
int DuY(int du, QSize base) {
    return (du * base.height() + 4) / 8;
}

QString ButtonText(const char *text) {
    return QString::fromLocal8Bit(text ? text : "");
}

// Static text shows the '&' prefix as an underline; a label has no mnemonic
// of its own, so the prefix characters go.
QString StaticText(const char *text) {
    const QString in = QString::fromLocal8Bit(text ? text : "");
    QString out;
    for (int i = 0; i < in.size(); ++i) {
        if (in[i] == QLatin1Char('&') && i + 1 < in.size()) {
            ++i;
            out += in[i];
        } else if (in[i] != QLatin1Char('&')) {
            out += in[i];
        }
    }
    return out;
}

QPixmap BitmapPixmap(WORD id) {
    HBITMAP bitmap = LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
    if (!bitmap)
        return {};
    const QImage image = VxBitmapToImage(bitmap);
    DeleteObject(bitmap);
    return QPixmap::fromImage(image);
}

QPixmap IconPixmap(HICON icon) {
    const QImage image = VxIconImage(icon);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

// The sizes a smooth picture of an icon may have.
constexpr int kPictureSizes[] = {16, 24, 32, 48, 64, 96, 128, 256};

const ResourceModule *CurrentModule() {
    // A module handle is the address of its table.
    return reinterpret_cast<const ResourceModule *>(AfxGetResourceHandle());
}

// The id of the icon resource a shared icon was loaded from; 0 if none.
WORD IconResourceId(HICON icon) {
    const ResourceModule *module = CurrentModule();
    if (!icon || !module)
        return 0;
    for (size_t i = 0; i < module->count; ++i) {
        const ResourceEntry &e = module->entries[i];
        if (e.type == RT_GROUP_ICON &&
            LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(e.id)) == icon)
            return e.id;
    }
    return 0;
}

QList<QImage> PicturesOf(WORD id) {
    QList<QImage> pictures;
    HINSTANCE module = AfxGetResourceHandle();
    for (int size : kPictureSizes) {
        const QByteArray type = "PNG" + QByteArray::number(size);
        HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), type.constData());
        const auto *data = static_cast<const uchar *>(LockResource(LoadResource(module, res)));
        if (!data)
            continue;
        QImage image = QImage::fromData(data, int(SizeofResource(module, res)), "PNG");
        if (image.width() == size && image.height() == size)
            pictures.push_back(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    return pictures;
}

// A static icon control. Where a device pixel is smaller than a logical
// one, it shows the icon's smooth picture at the device's resolution instead
// of enlarging the icon's own image; at one device pixel per logical pixel
// it shows the icon's own image, pixel for pixel.
class IconLabel : public QLabel {
  public:
    using QLabel::QLabel;

    void SetIcon(HICON icon) {
        m_image = VxIconImage(icon);
        m_pictures = VxIconPictures(icon);
        m_cache = QPixmap();
        setPixmap(m_image.isNull() ? QPixmap() : QPixmap::fromImage(m_image));
    }

    // The picture drawn at a device-pixel ratio.
    QPixmap PixmapFor(qreal ratio) {
        if (m_image.isNull())
            return {};
        if (ratio <= 1 || m_pictures.isEmpty())
            return QPixmap::fromImage(m_image);
        if (!m_cache.isNull() && m_cache.devicePixelRatio() == ratio)
            return m_cache;
        const QSize want = (QSizeF(m_image.size()) * ratio).toSize();
        const QImage *best = &m_pictures.back();
        for (const QImage &picture : m_pictures)
            if (picture.width() >= want.width()) {
                best = &picture;
                break;
            }
        QImage image = best->size() == want
                           ? *best
                           : best->scaled(want, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(ratio);
        m_cache = QPixmap::fromImage(image);
        return m_cache;
    }

  protected:
    void paintEvent(QPaintEvent *event) override {
        if (m_image.isNull()) {
            QLabel::paintEvent(event);
            return;
        }
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.drawPixmap(contentsRect().topLeft(),
                           PixmapFor(painter.device()->devicePixelRatio()));
    }

  private:
    QImage m_image;
    QList<QImage> m_pictures;
    QPixmap m_cache;
};

// Grows a control's rectangle from the template where this font or the
// style's check-box and radio-button indicators need more room than the
// dialog units give, so that no text or indicator is cut off. A button's or
// check box's contents are centred vertically, so it grows evenly up and
// down; text grows away from the side it is aligned to.
QRect FitContent(QWidget *control, VxControlKind kind, QRect r) {
    QSize need;
    Qt::Alignment align = Qt::AlignLeft;
    switch (kind) {
    case VxControlKind::CheckBox:
    case VxControlKind::RadioButton:
        need = control->sizeHint();
        break;
    case VxControlKind::PushButton: {
        // The style's preferred width is wider than the text needs; only the
        // text and the button's margins must fit.
        auto *button = static_cast<QPushButton *>(control);
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        need = QSize(button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin,
                     button->sizeHint().height());
        break;
    }
    case VxControlKind::Text: {
        auto *label = static_cast<QLabel *>(control);
        align = label->alignment();
        if (label->wordWrap()) {
            // Wrapped text needs its longest word across and all its lines down.
            need =
                QSize(label->minimumSizeHint().width(),
                      label->heightForWidth(std::max(r.width(), label->minimumSizeHint().width())));
        } else {
            need = label->sizeHint();
        }
        break;
    }
    default:
        return r;
    }
    if (need.height() > r.height()) {
        const int grow = need.height() - r.height();
        r.adjust(0, -(grow / 2), 0, grow - grow / 2);
    }
    if (need.width() > r.width()) {
        const int grow = need.width() - r.width();
        if (align & Qt::AlignRight)
            r.setLeft(r.left() - grow);
        else if (align & Qt::AlignHCenter)
            r.adjust(-(grow / 2), 0, grow - grow / 2, 0);
        else
            r.setRight(r.right() + grow);
    }
    return r;
}

// A radio button of a group (a run of controls that starts at WS_GROUP).
// The arrow keys move to the group's previous or next enabled button, round
// the ends, and check it, as clicking it would.
class GroupRadioButton : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void keyPressEvent(QKeyEvent *event) override {
        int step = 0;
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Left:
            step = -1;
            break;
        case Qt::Key_Down:
        case Qt::Key_Right:
            step = 1;
            break;
        default:
            QRadioButton::keyPressEvent(event);
            return;
        }
        const QList<QAbstractButton *> buttons =
            group() ? group()->buttons() : QList<QAbstractButton *>{this};
        const qsizetype n = buttons.size(), at = buttons.indexOf(this);
        for (qsizetype k = 1; k < n; ++k) {
            QAbstractButton *next = buttons[((at + step * k) % n + n) % n];
            if (next->isEnabled() && !next->isHidden()) {
                next->setFocus(step < 0 ? Qt::BacktabFocusReason : Qt::TabFocusReason);
                next->click();
                break;
            }
        }
    }
};

// Tab enters a radio group at its checked button: that button is the
// group's tab stop, or the one the template marks while none is checked.
void UpdateGroupTabStop(QButtonGroup *group) {
    const bool hasStop = group->property("vxTabStop").toBool();
    QAbstractButton *stop = group->checkedButton();
    for (QAbstractButton *button : group->buttons()) {
        const bool isStop =
            hasStop && (stop ? button == stop : button->property("vxTemplateTabStop").toBool());
        button->setFocusPolicy(isStop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

CDialog *DialogOf(HWND hwnd) {
    return dynamic_cast<CDialog *>(VxLookupHandle(hwnd));
}

// A control's CWnd until the dialog binds its own object to it.
class ControlWnd : public CWnd {};

// The window of a dialog: the standard keys, the close box and activation.
class DialogWidget : public QWidget, public VxImplRef {
  public:
    DialogWidget(VxWindowImpl *impl, Qt::WindowFlags flags)
        : QWidget(nullptr, flags), VxImplRef(impl) {}
    bool m_drawFrame = false;

  protected:
    CWnd *Target() const { return m_impl && !m_impl->destroying ? m_impl->wnd : nullptr; }

    void keyPressEvent(QKeyEvent *event) override {
        CWnd *wnd = Target();
        if (!wnd) {
            QWidget::keyPressEvent(event);
            return;
        }
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            // Enter chooses the default button, IDOK when there is none.
            int id = IDOK;
            for (HWND child : m_impl->children) {
                CWnd *c = VxLookupHandle(child);
                auto *button =
                    c && c->m_impl ? qobject_cast<QPushButton *>(c->m_impl->widget()) : nullptr;
                if (button && button->isDefault()) {
                    if (!button->isEnabled())
                        return;
                    id = c->m_impl->controlId;
                    break;
                }
            }
            VxDispatch(wnd, WM_COMMAND, WPARAM(WORD(id)), 0);
            return;
        }
        case Qt::Key_Escape:
            VxDispatch(wnd, WM_COMMAND, IDCANCEL, 0);
            return;
        default:
            QWidget::keyPressEvent(event);
        }
    }
    void closeEvent(QCloseEvent *event) override {
        event->ignore();
        if (CWnd *wnd = Target())
            VxDispatch(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    bool event(QEvent *event) override {
        CWnd *wnd = Target();
        if (wnd &&
            (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate))
            VxSendActivation(wnd, event->type() == QEvent::WindowActivate);
        return QWidget::event(event);
    }
    void paintEvent(QPaintEvent *event) override {
        QWidget::paintEvent(event);
        if (!m_drawFrame)
            return;
        // The raised frame of a dialog without a caption.
        QPainter painter(this);
        QStyleOptionFrame option;
        option.initFrom(this);
        option.rect = rect();
        option.lineWidth = m_impl ? m_impl->clientOffset : 2;
        option.midLineWidth = 0;
        option.state |= QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_Frame, &option, &painter, this);
    }
};

// Lets the dialog see input meant for it or its controls first.
class PreTranslateFilter : public QObject {
  public:
    explicit PreTranslateFilter(HWND dialog, QObject *parent) : QObject(parent), m_dialog(dialog) {}

    bool eventFilter(QObject *object, QEvent *event) override {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        auto *widget = qobject_cast<QWidget *>(object);
        if (!widget)
            return false;
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const bool press = event->type() == QEvent::MouseButtonPress;
            if (event->type() == QEvent::MouseMove)
                message = WM_MOUSEMOVE;
            else if (mouse->button() == Qt::LeftButton)
                message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            else if (mouse->button() == Qt::RightButton)
                message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            else if (mouse->button() == Qt::MiddleButton)
                message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            else
                return false;
            const QPoint p = mouse->position().toPoint();
            wParam = VxMouseKeyState(mouse->buttons(), mouse->modifiers());
            lParam = MAKELPARAM(WORD(short(p.x())), WORD(short(p.y())));
            break;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto *key = static_cast<QKeyEvent *>(event);
            const bool system = VxIsSystemKey(key->key(), key->modifiers());
            const bool release = event->type() == QEvent::KeyRelease;
            message = system ? (release ? WM_SYSKEYUP : WM_SYSKEYDOWN)
                             : (release ? WM_KEYUP : WM_KEYDOWN);
            wParam = VxVirtualKey(key->key());
            lParam = VxKeyLParam(key->nativeScanCode(), key->modifiers().testFlag(Qt::AltModifier),
                                 key->isAutoRepeat(), release);
            break;
        }
        default:
            return false;
        }
        CDialog *dialog = DialogOf(m_dialog);
        if (!dialog || !dialog->m_impl || dialog->m_impl->destroying)
            return false;
        CWnd *target = VxWndFromWidget(widget);
        return dialog->PreTranslateMessage(message, wParam, lParam,
                                           target ? target->m_hWnd : m_dialog) != FALSE;
    }

  private:
    HWND m_dialog;
};

void NotifyClicked(HWND dialog, HWND control) {
    CWnd *wnd = VxLookupHandle(dialog);
    CWnd *ctrl = VxLookupHandle(control);
    if (!wnd || !ctrl || !ctrl->m_impl || !wnd->m_impl || wnd->m_impl->destroying)
        return;
    const WORD id = WORD(ctrl->m_impl->controlId);
    VxDispatch(wnd, WM_COMMAND, WPARAM(DWORD(id) | (DWORD(BN_CLICKED) << 16)),
               LPARAM(reinterpret_cast<uintptr_t>(control)));
}

// Builds one control; sets its kind on the window record.
QWidget *MakeControl(const DialogItemTemplate &item, QWidget *parent, VxWindowImpl *impl) {
    const DWORD style = item.style;
    switch (item.cls) {
    case DialogControlClass::Button:
        switch (style & 0xF) {
        case BS_AUTOCHECKBOX: {
            impl->control = VxControlKind::CheckBox;
            return new QCheckBox(ButtonText(item.text), parent);
        }
        case BS_AUTORADIOBUTTON: {
            impl->control = VxControlKind::RadioButton;
            auto *radio = new GroupRadioButton(ButtonText(item.text), parent);
            radio->setAutoExclusive(false); // groups come from the WS_GROUP runs
            return radio;
        }
        case BS_GROUPBOX: {
            impl->control = VxControlKind::GroupBox;
            auto *group = new QGroupBox(StaticText(item.text), parent);
            group->setFocusPolicy(Qt::NoFocus);
            return group;
        }
        default: {
            impl->control = VxControlKind::PushButton;
            auto *button = new QPushButton(ButtonText(item.text), parent);
            button->setAutoDefault(true);
            button->setDefault((style & 0xF) == BS_DEFPUSHBUTTON);
            return button;
        }
        }
    case DialogControlClass::Trackbar: {
        impl->control = VxControlKind::Trackbar;
        auto *slider = new QSlider(Qt::Horizontal, parent);
        if (style & TBS_NOTICKS)
            slider->setTickPosition(QSlider::NoTicks);
        else
            slider->setTickPosition((style & TBS_TOP) ? QSlider::TicksAbove : QSlider::TicksBelow);
        slider->setRange(0, 100); // the trackbar's default range
        return slider;
    }
    case DialogControlClass::Static:
    default: {
        const DWORD kind = style & 0x1F;
        if (kind == SS_ETCHEDFRAME) {
            impl->control = VxControlKind::Frame;
            auto *frame = new QFrame(parent);
            frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
            return frame;
        }
        auto *label = (kind == SS_ICON) ? new IconLabel(parent) : new QLabel(parent);
        if (style & SS_SUNKEN) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(1);
        }
        if (kind == SS_ICON) {
            impl->control = VxControlKind::Icon;
            impl->icon = item.imageId
                             ? LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(item.imageId))
                             : nullptr;
            static_cast<IconLabel *>(label)->SetIcon(impl->icon);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        } else if (kind == SS_BITMAP) {
            impl->control = VxControlKind::Bitmap;
            label->setPixmap(BitmapPixmap(item.imageId));
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        } else {
            impl->control = VxControlKind::Text;
            label->setText(StaticText(item.text));
            label->setWordWrap(kind == SS_LEFT || kind == 1);
            label->setAlignment((kind == SS_RIGHT ? Qt::AlignRight
                                 : kind == 1      ? Qt::AlignHCenter
                                                  : Qt::AlignLeft) |
                                Qt::AlignTop);
        }
        return label;
    }
    }
}

} // namespace

bool VxCreateDialogWindow(CDialog *dialog, UINT templateId, CWnd *parent) {
    const DialogTemplate *t = VxFindDialogTemplate(templateId);
    if (!t || !QApplication::instance() || dialog->m_hWnd)
        return false;
    const QFont font = DialogFont(*t);
    const QSize base = BaseUnits(font);

    auto impl = std::make_unique<VxWindowImpl>();
    VxWindowImpl *raw = impl.get();
    raw->kind = VxWindowKind::Dialog;
    raw->wnd = dialog;
    raw->style = t->style;
    raw->owner = parent ? parent->m_hWnd : nullptr;
    const bool caption = (t->style & WS_CAPTION) == WS_CAPTION;

    Qt::WindowFlags flags = Qt::Dialog;
    if (caption) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (t->style & WS_SYSMENU)
            flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
    } else {
        flags |= Qt::FramelessWindowHint;
    }
    QWidget *parentWidget = parent && parent->m_impl ? parent->m_impl->widget() : nullptr;
    auto *w = new DialogWidget(raw, flags);
    if (parentWidget)
        w->setParent(parentWidget->window(), flags);
    w->setAttribute(Qt::WA_QuitOnClose, false);
    w->setFont(font);
    if (caption && t->caption)
        w->setWindowTitle(QString::fromLocal8Bit(t->caption));
    // A dialog without a caption still has its modal frame around the client.
    if (!caption && (t->style & DS_MODALFRAME)) {
        raw->clientOffset = 2;
        w->m_drawFrame = true;
    }
    const int offset = raw->clientOffset;
    const QSize client(DuX(t->cx, base), DuY(t->cy, base));
    w->setFixedSize(client.width() + 2 * offset, client.height() + 2 * offset);
    raw->w = w;
    raw->hwnd = HWND(uintptr_t(w->winId()));
    if (!raw->hwnd || VxLookupHandle(raw->hwnd)) {
        delete w;
        return false;
    }
    dialog->m_impl = std::move(impl);
    dialog->m_hWnd = raw->hwnd;
    VxRegisterHandle(dialog->m_hWnd, dialog);

    auto *filter = new PreTranslateFilter(dialog->m_hWnd, w);
    w->installEventFilter(filter);

    std::map<int, QButtonGroup *> groups;
    int run = -1;
    QWidget *previousTabStop = nullptr;
    std::vector<QWidget *> groupBoxes;
    for (size_t i = 0; i < t->count; ++i) {
        const DialogItemTemplate &item = t->items[i];
        if (i == 0 || (item.style & WS_GROUP))
            ++run;
        auto *control = new ControlWnd;
        auto cimpl = std::make_unique<VxWindowImpl>();
        VxWindowImpl *craw = cimpl.get();
        craw->kind = VxWindowKind::Control;
        craw->wnd = control;
        craw->style = item.style;
        craw->controlId = item.id;
        craw->parent = dialog->m_hWnd;
        craw->frameworkOwned = true;
        craw->groupIndex = run;
        QWidget *cw = MakeControl(item, w, craw);
        craw->w = cw;
        cw->setFont(font);
        QRect geometry(offset + DuX(item.x, base), offset + DuY(item.y, base), DuX(item.cx, base),
                       DuY(item.cy, base));
        if (craw->control == VxControlKind::Bitmap || craw->control == VxControlKind::Icon) {
            // A picture control takes the size of its picture.
            auto *label = static_cast<QLabel *>(cw);
            const QPixmap pixmap = label->pixmap();
            if (!pixmap.isNull()) {
                const int frame = 2 * label->frameWidth();
                geometry.setSize(pixmap.size() + QSize(frame, frame));
            }
        } else {
            geometry = FitContent(cw, craw->control, geometry);
        }
        cw->setGeometry(geometry);
        if (!(item.style & WS_VISIBLE) && (item.style & WS_CHILD))
            cw->hide();
        if (item.style & WS_DISABLED)
            cw->setEnabled(false);
        if (craw->control == VxControlKind::Text || craw->control == VxControlKind::Frame ||
            craw->control == VxControlKind::Icon || craw->control == VxControlKind::Bitmap ||
            craw->control == VxControlKind::GroupBox) {
            cw->setFocusPolicy(Qt::NoFocus);
            cw->setAttribute(Qt::WA_TransparentForMouseEvents); // clicks reach what lies beneath
        } else {
            cw->setFocusPolicy((item.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, cw);
            previousTabStop = cw;
        }
        if (craw->control == VxControlKind::GroupBox)
            groupBoxes.push_back(cw);
        cw->installEventFilter(filter);

        craw->hwnd = VxNewControlHandle(craw);
        control->m_impl = std::move(cimpl);
        control->m_hWnd = craw->hwnd;
        VxRegisterHandle(control->m_hWnd, control);
        raw->children.push_back(control->m_hWnd);

        if (auto *button = qobject_cast<QAbstractButton *>(cw)) {
            if (craw->control == VxControlKind::RadioButton) {
                QButtonGroup *&group = groups[run];
                if (!group) {
                    group = new QButtonGroup(w);
                    group->setExclusive(true);
                    QObject::connect(group, &QButtonGroup::buttonToggled, group,
                                     [group] { UpdateGroupTabStop(group); });
                }
                group->addButton(button);
                if (item.style & WS_TABSTOP) {
                    group->setProperty("vxTabStop", true);
                    button->setProperty("vxTemplateTabStop", true);
                }
            }
            const HWND dialogHandle = dialog->m_hWnd, controlHandle = control->m_hWnd;
            QObject::connect(button, &QAbstractButton::clicked, w, [dialogHandle, controlHandle] {
                NotifyClicked(dialogHandle, controlHandle);
            });
        }
    }
    // Group boxes are frames behind the controls they hold.
    for (QWidget *group : groupBoxes)
        group->lower();
    return true;
}

QList<QImage> VxIconPictures(HICON icon) {
    const WORD id = IconResourceId(icon);
    return id ? PicturesOf(id) : QList<QImage>();
}

QIcon VxApplicationIcon() {
    // The program's icon is its first icon resource, as for an executable
    // on the original platform.
    const ResourceModule *module = CurrentModule();
    for (size_t i = 0; module && i < module->count; ++i) {
        const ResourceEntry &e = module->entries[i];
        if (e.type != RT_GROUP_ICON)
            continue;
        QIcon icon;
        for (const QImage &picture : PicturesOf(e.id))
            icon.addPixmap(QPixmap::fromImage(picture));
        if (icon.isNull()) {
            const QPixmap own =
                IconPixmap(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(e.id)));
            if (!own.isNull())
                icon.addPixmap(own);
        }
        return icon;
    }
    return {};
}

LRESULT VxControlDefault(VxWindowImpl *impl, UINT message, WPARAM wParam, LPARAM) {
    constexpr UINT BM_GETCHECK = 0x00F0, BM_SETCHECK = 0x00F1;
    switch (message) {
    case STM_SETICON: {
        auto *label = dynamic_cast<IconLabel *>(impl->widget());
        if (!label || impl->control != VxControlKind::Icon)
            return 0;
        const HICON previous = impl->icon;
        impl->icon = reinterpret_cast<HICON>(wParam);
        label->SetIcon(impl->icon);
        return LRESULT(reinterpret_cast<uintptr_t>(previous));
    }
    case BM_GETCHECK: {
        auto *button = qobject_cast<QAbstractButton *>(impl->widget());
        return button && button->isCheckable() && button->isChecked() ? 1 : 0;
    }
    case BM_SETCHECK:
        if (CWnd *dialog = VxLookupHandle(impl->parent))
            dialog->CheckDlgButton(impl->controlId, UINT(wParam));
        return 0;
    default:
        return LRESULT(-2); // not a control message: the window default applies
    }
}

// ---- CDialog ------------------------------------------------------------------------------
CDialog::CDialog(UINT templateId, CWnd *parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd)
        DestroyWindow();
}

INT_PTR CDialog::DoModal() {
    if (!VxCreateDialogWindow(this, m_nIDTemplate,
                              m_pParentWnd ? m_pParentWnd
                                           : (AfxGetMainWnd() != this
                                                  ? AfxGetMainWnd()
                                                  : nullptr))) // unowned: the main window owns it
        return -1;
    const HWND self = m_hWnd;
    // The configuration dialog is the main window: boxes of the application
    // are owned by it.
    if (CWinApp *app = AfxGetApp(); app && app->m_pMainWnd == this)
        VxSetMainWindowHandle(self);
    auto alive = [this, self] { return m_hWnd == self && VxLookupHandle(self) == this; };
    m_impl->modalResult = -1;
    m_impl->modalEnded = false;
    const LRESULT setFocus = SendMessage(WM_INITDIALOG, 0, 0);
    if (!alive())
        return -1;
    INT_PTR result = -1;
    if (!m_impl->modalEnded) {
        QWidget *w = m_impl->widget();
        w->setWindowModality(Qt::ApplicationModal);
        w->show();
        w->raise();
        w->activateWindow();
        if (setFocus) {
            // The first control that takes the focus from the keyboard.
            for (HWND child : m_impl->children) {
                CWnd *c = VxLookupHandle(child);
                QWidget *cw = c && c->m_impl ? c->m_impl->widget() : nullptr;
                if (cw && (cw->focusPolicy() & Qt::TabFocus) && cw->isEnabled() &&
                    !cw->isHidden()) {
                    cw->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
        }
        QEventLoop loop;
        m_impl->modalLoop = &loop;
        VxRunLoop(&loop);
        if (!alive())
            return -1;
        m_impl->modalLoop = nullptr;
    }
    result = m_impl->modalEnded ? m_impl->modalResult : -1;
    DestroyWindow();
    return result;
}

void CDialog::EndDialog(int result) {
    if (!m_impl)
        return;
    m_impl->modalResult = result;
    m_impl->modalEnded = true;
    if (QWidget *w = m_impl->widget())
        w->hide();
    if (m_impl->modalLoop)
        m_impl->modalLoop->exit(result);
}

void DDX_Control(CDataExchange *dx, int id, CWnd &control) {
    if (!dx || !dx->m_pDlgWnd)
        return;
    CWnd *item = dx->m_pDlgWnd->GetDlgItem(id);
    if (!item || item == &control || control.m_hWnd)
        return;
    // The dialog's own object takes the control over; the framework's
    // stand-in goes.
    const HWND hwnd = item->m_hWnd;
    control.m_impl = std::move(item->m_impl);
    control.m_impl->wnd = &control;
    control.m_impl->frameworkOwned = false;
    control.m_hWnd = hwnd;
    item->m_hWnd = nullptr;
    VxRegisterHandle(hwnd, &control);
    delete item;
}
