#include "board/menustrip.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionMenuItem>

#include <algorithm>
#include <cmath>

namespace honura {

QList<QRect> flowRows(const QList<QSize>& sizes, int width, const QMargins& margins, int spacing)
{
    int rowHeight = 0;
    for (const QSize& s : sizes)
        rowHeight = std::max(rowHeight, s.height());
    const int right = width - margins.right();
    QList<QRect> places;
    int x = margins.left();
    int y = margins.top();
    for (const QSize& s : sizes) {
        if (x > margins.left() && x + s.width() > right) {
            x = margins.left();
            y += rowHeight;
        }
        places.append(QRect(x, y, s.width(), rowHeight));
        x += s.width() + spacing;
    }
    return places;
}

qreal lineTop(int y, qreal dpr) { return std::ceil(dpr * y - dpr / 2) / dpr; }

MenuStrip::MenuStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MenuStrip"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    setFocusPolicy(Qt::NoFocus); // reached by Alt or F10 only, never by Tab
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    takeMenuBarLook();
    // Keys go to the focused widget, and a text box keeps the release of Alt
    // to itself: watch the keys of every widget of this window.
    qApp->installEventFilter(this);
}

// The font and colours the system gives its menu bars where it has its own
// (Windows), as QMenuBar takes them.
void MenuStrip::takeMenuBarLook()
{
    setFont(QApplication::font("QMenuBar"));
    setPalette(QApplication::palette("QMenuBar"));
}

QAction* MenuStrip::addCommand(const QString& text)
{
    auto* a = new QAction(text, this);
    addAction(a);
    return a;
}

QMargins MenuStrip::stripMargins() const
{
    const QStyle* s = style();
    const int frame = s->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, this);
    const int h = s->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, this);
    const int v = s->pixelMetric(QStyle::PM_MenuBarVMargin, nullptr, this);
    const int spacing = s->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, this);
    return {frame + h + spacing, frame + v, frame + h, frame + v};
}

// The item's state as a menu bar sets it: the command under the pointer or
// the keyboard is selected, and the strip shows its items framed while one
// is; the command held down by the mouse is sunken. The Windows styles draw
// a selected command raised, as their menu bars show the keyboard's command;
// the others (Fusion) mark a menu bar's command only while it is down, so
// there the keyboard's command is drawn down too.
void MenuStrip::initItemOption(QStyleOptionMenuItem* opt, int index) const
{
    const QAction* a = actions().at(index);
    opt->initFrom(this);
    opt->state = QStyle::State_None;
    if (isEnabled() && a->isEnabled())
        opt->state |= QStyle::State_Enabled;
    if (index == current_) {
        opt->state |= QStyle::State_Selected;
        if (pressed_ || (keyboard_ && !style()->inherits("QWindowsStyle")))
            opt->state |= QStyle::State_Sunken;
    }
    if (keyboard_ || current_ >= 0)
        opt->state |= QStyle::State_HasFocus;
    opt->menuRect = rect();
    opt->menuItemType = QStyleOptionMenuItem::Normal;
    opt->checkType = QStyleOptionMenuItem::NotCheckable;
    opt->text = a->text();
    opt->icon = a->icon();
}

// The commands' sizes are measured once (measuring lays out and shapes the
// text) and again only after a change of the commands, the font or the style,
// as a menu bar does.
const QList<QSize>& MenuStrip::itemSizes() const
{
    if (sizesValid_)
        return sizes_;
    sizes_.clear();
    underlined_ = styleUnderlinesItems();
    const QList<QAction*> all = actions();
    for (int i = 0; i < all.size(); ++i) {
        QStyleOptionMenuItem opt;
        initItemOption(&opt, i);
        const QSize text = fontMetrics().size(Qt::TextShowMnemonic, all.at(i)->text());
        sizes_.append(style()->sizeFromContents(QStyle::CT_MenuBarItem, &opt, text, this));
    }
    sizesValid_ = true;
    return sizes_;
}

// Whether the style draws a line along the bottom of an idle item, as Fusion
// does for the bottom edge of a bar of one row: an item is drawn without text
// and its bottom row compared with its middle.
bool MenuStrip::styleUnderlinesItems() const
{
    const QSize size(8, 8);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QStyleOptionMenuItem opt;
    opt.initFrom(this);
    opt.state = QStyle::State_Enabled;
    opt.rect = QRect(QPoint(0, 0), size);
    opt.menuRect = opt.rect;
    opt.menuItemType = QStyleOptionMenuItem::Normal;
    opt.checkType = QStyleOptionMenuItem::NotCheckable;
    QPainter p(&image);
    style()->drawControl(QStyle::CE_MenuBarItem, &opt, &p, this);
    p.end();
    return image.pixel(size.width() / 2, size.height() - 1) !=
           image.pixel(size.width() / 2, size.height() / 2);
}

QList<QRect> MenuStrip::placesFor(int width) const
{
    const int spacing = style()->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, this);
    return flowRows(itemSizes(), width, stripMargins(), spacing);
}

QRect MenuStrip::commandRect(int index) const { return placesFor(width()).value(index); }

// The strip's size around rows of the given total height, as the style sizes
// a menu bar: with its margins and the space some styles keep below the items
// for the line that ends the bar.
QSize MenuStrip::wrapSize(int rowsHeight) const
{
    const QList<QRect> row = placesFor(QWIDGETSIZE_MAX);
    const QMargins m = stripMargins();
    const int width = row.isEmpty() ? 0 : row.last().right() + 1 + m.right();
    const int below = style()->styleHint(QStyle::SH_MainWindow_SpaceBelowMenuBar, nullptr, this);
    QStyleOptionMenuItem opt;
    opt.initFrom(this);
    opt.menuRect = rect();
    opt.state = QStyle::State_None;
    opt.menuItemType = QStyleOptionMenuItem::Normal;
    opt.checkType = QStyleOptionMenuItem::NotCheckable;
    return style()->sizeFromContents(QStyle::CT_MenuBar, &opt,
                                     QSize(width, rowsHeight + m.top() + m.bottom() + below), this);
}

QSize MenuStrip::sizeHint() const
{
    const QList<QRect> row = placesFor(QWIDGETSIZE_MAX);
    return wrapSize(row.isEmpty() ? fontMetrics().height() : row.first().height());
}

QSize MenuStrip::minimumSizeHint() const { return {0, sizeHint().height()}; }

int MenuStrip::heightForWidth(int width) const
{
    const QList<QRect> places = placesFor(width);
    if (places.isEmpty())
        return sizeHint().height();
    const int rows = places.last().bottom() + 1 - places.first().top();
    return wrapSize(rows).height();
}

int MenuStrip::commandAt(const QPoint& p) const
{
    const QList<QRect> places = placesFor(width());
    for (int i = 0; i < places.size(); ++i)
        if (places.at(i).contains(p) && actions().at(i)->isEnabled())
            return i;
    return -1;
}

bool MenuStrip::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionChanged:
    case QEvent::ActionRemoved:
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ScreenChangeInternal:
        sizesValid_ = false;
        updateGeometry();
        update();
        break;
    case QEvent::ApplicationFontChange:
    case QEvent::ApplicationPaletteChange:
        takeMenuBarLook();
        break;
    case QEvent::Polish: // the style may size the commands otherwise once it has polished the strip
        sizesValid_ = false;
        break;
    case QEvent::ShortcutOverride:
        // In keyboard mode the arrow keys, Enter, Space and Esc are the strip's.
        if (keyboard_)
            e->accept();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

// Alt pressed and released alone, or F10, takes the keyboard to the strip and
// back. A click anywhere else in the window ends the keyboard's visit, as it
// ends a menu bar's. Every event of the program passes here: the kinds of
// interest are picked out before the widget and its window are looked at.
bool MenuStrip::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::FocusOut:
        break;
    default:
        return false;
    }
    const auto* w = qobject_cast<const QWidget*>(watched);
    if (!w || w->window() != window() || !isVisible() || !isEnabled())
        return false;
    switch (e->type()) {
    case QEvent::KeyPress: {
        const auto* k = static_cast<QKeyEvent*>(e);
        altAlone_ = k->key() == Qt::Key_Alt && !k->isAutoRepeat();
        if (k->key() == Qt::Key_F10 && k->modifiers() == Qt::NoModifier) {
            if (!k->isAutoRepeat())
                setKeyboardMode(!keyboard_);
            return true;
        }
        break;
    }
    case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Alt && altAlone_) {
            altAlone_ = false;
            setKeyboardMode(!keyboard_);
            return true;
        }
        break;
    case QEvent::FocusOut:
        altAlone_ = false;
        break;
    default: // a click
        altAlone_ = false;
        if (watched != this)
            setKeyboardMode(false);
        break;
    }
    return false;
}

// Painted as a menu bar paints itself, except that the lines some styles draw
// along the bottom of each item are left to the empty area: one line under
// the strip, unbroken at any scale, and none between its rows.
void MenuStrip::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    const int fw = style()->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, this);
    QRegion border;
    if (fw > 0) {
        border += QRect(0, 0, fw, height());
        border += QRect(width() - fw, 0, fw, height());
        border += QRect(0, 0, width(), fw);
        border += QRect(0, height() - fw, width(), fw);
    }
    p.setClipRegion(QRegion(rect()) - border);
    QStyleOptionMenuItem empty;
    empty.initFrom(this);
    empty.state = QStyle::State_None;
    empty.menuItemType = QStyleOptionMenuItem::EmptyArea;
    empty.checkType = QStyleOptionMenuItem::NotCheckable;
    empty.rect = rect();
    empty.menuRect = rect();
    style()->drawControl(QStyle::CE_MenuBarEmptyArea, &empty, &p, this);

    const qreal bottomLine = lineTop(rect().bottom(), devicePixelRatio());
    const QList<QRect> places = placesFor(width());
    for (int i = 0; i < places.size(); ++i) {
        const QRect& place = places.at(i);
        if (!e->rect().intersects(place))
            continue;
        QStyleOptionMenuItem opt;
        initItemOption(&opt, i);
        opt.rect = place;
        QRectF clip(place);
        if (underlined_)
            clip.setBottom(lineTop(place.bottom(), devicePixelRatio()));
        clip.setBottom(std::min(clip.bottom(), bottomLine));
        p.setClipRect(clip);
        style()->drawControl(QStyle::CE_MenuBarItem, &opt, &p, this);
    }
    if (fw > 0) {
        p.setClipRegion(border);
        QStyleOptionFrame frame;
        frame.rect = rect();
        frame.palette = palette();
        frame.state = QStyle::State_None;
        frame.lineWidth = fw;
        frame.midLineWidth = 0;
        style()->drawPrimitive(QStyle::PE_PanelMenuBar, &frame, &p, this);
    }
}

void MenuStrip::setCurrent(int index)
{
    if (index == current_)
        return;
    current_ = index;
    update();
    if (keyboard_ && index >= 0 && QAccessible::isActive()) {
        // A screen reader follows the highlighted command as it follows the focus.
        if (QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(this)) {
            if (QAccessibleInterface* item = strip->child(index)) {
                QAccessibleEvent ev(item, QAccessible::Focus);
                QAccessible::updateAccessibility(&ev);
            }
        }
    }
}

void MenuStrip::mouseMoveEvent(QMouseEvent* e)
{
    if (pressed_ && !(e->buttons() & Qt::LeftButton)) { // a release that went elsewhere
        pressed_ = false;
        update();
    }
    // A move with the pointer where it was pressed is the window moving
    // under it, and takes nothing back (see the release).
    if (keyboard_ || (pressed_ && e->globalPosition() == pressedAt_))
        return;
    // While the button is held, the command stays down until the pointer is
    // over another; a move beside the commands does not take it back, and
    // released there, it triggers nothing.
    const int index = commandAt(e->position().toPoint());
    if (index >= 0 || !pressed_)
        setCurrent(index);
}

void MenuStrip::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    setKeyboardMode(false);
    pressed_ = true;
    pressedAt_ = e->globalPosition();
    current_ = commandAt(e->position().toPoint());
    update();
}

void MenuStrip::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !pressed_)
        return;
    pressed_ = false;
    // A release where the press was is a click on the command that took the
    // press, wherever the window has put the strip under the pointer since: a
    // window manager may move the window a little after it has mapped it, and
    // a late move leaves the pointer on another part of the strip.
    const int index =
        e->globalPosition() == pressedAt_ ? current_ : commandAt(e->position().toPoint());
    update();
    if (index >= 0 && index == current_)
        trigger(index);
}

void MenuStrip::leaveEvent(QEvent* /*e*/)
{
    if (!keyboard_ && !pressed_)
        setCurrent(-1);
}

void MenuStrip::keyPressEvent(QKeyEvent* e)
{
    const int count = static_cast<int>(actions().size());
    if (!keyboard_ || count == 0) {
        QWidget::keyPressEvent(e);
        return;
    }
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        setCurrent((current_ + count - 1) % count);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        setCurrent((current_ + 1) % count);
        break;
    case Qt::Key_Home:
        setCurrent(0);
        break;
    case Qt::Key_End:
        setCurrent(count - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: {
        const int index = current_;
        setKeyboardMode(false);
        trigger(index);
        break;
    }
    case Qt::Key_Escape:
        setKeyboardMode(false);
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}

void MenuStrip::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    if (!keyboard_)
        return;
    // When the window loses the keyboard, the focus is to be back where it
    // was once the window has it again; a click or Tab took it elsewhere.
    if (e->reason() != Qt::ActiveWindowFocusReason)
        focusBefore_ = nullptr;
    setKeyboardMode(false);
}

// The focus comes back to where it was whenever the strip still holds its
// window's focus, also in a window that is not active (no window manager
// made it so), where the keys still go to the window's focus widget.
void MenuStrip::setKeyboardMode(bool on)
{
    // Alt or F10 while a command is held down (a key that the system repeats
    // or releases late) leaves the click alone.
    if (on == keyboard_ || (on && pressed_))
        return;
    if (on) {
        focusBefore_ = window()->focusWidget();
        keyboard_ = true;
        setFocus(Qt::MenuBarFocusReason);
        current_ = -1;
        setCurrent(0);
    } else {
        keyboard_ = false;
        setCurrent(-1);
        if (window()->focusWidget() == this) {
            if (focusBefore_ && focusBefore_ != this)
                focusBefore_->setFocus(Qt::MenuBarFocusReason);
            else
                clearFocus();
        }
        focusBefore_ = nullptr;
    }
    update();
}

void MenuStrip::trigger(int index)
{
    if (index < 0 || index >= actions().size())
        return;
    setCurrent(-1);
    actions().at(index)->trigger();
}

} // namespace honura
