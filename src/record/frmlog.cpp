#include "record/frmlog.h"

#include "controls/twips.h"
#include "platform/platform.h"
#include "platform/windowframe.h"
#include "record/logdef.h"
#include "record/recordedit.h"
#include "record/recordtext.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

namespace honura {

namespace {

QPointer<FrmLog>& current()
{
    static QPointer<FrmLog> window;
    return window;
}

// The frame of the window manager as seen around another, framed window.
QMargins knownFrame(const QWidget* except)
{
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w != except && w->isVisible() && !windowFrame(w).isNull())
            return windowFrame(w);
    }
    return {};
}

} // namespace

FrmLog::FrmLog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FrmLog"));
    setWindowTitle(logdef::kCaption.toString());
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(twips::twipsToPixels(logdef::kClientWidth, platform().twipsPerPixelX()),
                 twips::twipsToPixels(logdef::kClientHeight, platform().twipsPerPixelY()));
    buildControls();
}

FrmLog::~FrmLog() { Q_EMIT dismissed(); }

void FrmLog::buildControls()
{
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    QWidget* previous = nullptr;
    for (const logdef::ControlDef& def : logdef::kControls) {
        QWidget* w = nullptr;
        if (def.kind == logdef::Kind::TextBox) {
            txtLog_ = new RecordEdit(this);
            txtLog_->setAccessibleName(logdef::kCaption.toString());
            txtLog_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            txtLog_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            txtLog_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            txtLog_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            txtLog_->setTabChangesFocus(true);
            txtLog_->installEventFilter(this);
            w = txtLog_;
        } else {
            auto* b = new QPushButton(def.caption.toString(), this);
            // Neither button is pressed by Enter.
            b->setAutoDefault(false);
            b->setDefault(false);
            if (QLatin1String(def.name) == QLatin1String("CmdClose")) {
                cmdClose_ = b;
                connect(b, &QPushButton::clicked, this, &FrmLog::CmdClose_Click);
            } else {
                cmdErase_ = b;
                connect(b, &QPushButton::clicked, this, &FrmLog::CmdErase_Click);
            }
            w = b;
        }
        w->setObjectName(QString::fromLatin1(def.name));
        const twips::PixelBox p =
            twips::toPixels({static_cast<float>(def.left), static_cast<float>(def.top),
                             static_cast<float>(def.width), static_cast<float>(def.height)},
                            tppX, tppY);
        w->setGeometry(p.x, p.y, p.width, p.height);
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    txtLog_->setFocus();
}

FrmLog& FrmLog::instance(QWidget* owner)
{
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    QPointer<FrmLog>& w = current();
    if (!w)
        w = new FrmLog(ownerWindow);
    else if (ownerWindow && !w->parentWidget() && !w->isVisible())
        w->setParent(ownerWindow, w->windowFlags());
    return *w;
}

FrmLog* FrmLog::existing() { return current().data(); }

void FrmLog::showModal(QWidget* owner)
{
    QPointer<FrmLog> w = &instance(owner);
    if (!w->placed_) {
        w->placed_ = true;
        w->centreOnScreen();
        w->recentrePending_ = windowFrame(w).isNull();
    }
    QEventLoop loop;
    connect(w, &FrmLog::dismissed, &loop, &QEventLoop::quit);
    platform().useDialogFrame(*w);
    w->show();
    w->activateWindow();
    if (w && w->isVisible())
        loop.exec(QEventLoop::DialogExec);
}

void FrmLog::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QMargins frame = windowFrame(this);
    if (frame.isNull())
        frame = knownFrame(this);
    const QSize outer = size().grownBy(frame);
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

bool FrmLog::event(QEvent* e)
{
    // Once the window manager has framed the window, centre it again for its
    // real frame; this happens before the user could move it. (Checked before
    // the base class runs: a deferred delete ends this object there.)
    const QEvent::Type t = e->type();
    if (recentrePending_ && (t == QEvent::Move || t == QEvent::Resize || t == QEvent::Show) &&
        isVisible() && !windowFrame(this).isNull()) {
        recentrePending_ = false;
        centreOnScreen();
    }
    return QDialog::event(e);
}

// Shift+Enter makes a line break like Enter: the record knows no other kind.
bool FrmLog::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == txtLog_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
            (k->modifiers() & Qt::ShiftModifier) && !txtLog_->isReadOnly()) {
            txtLog_->textCursor().insertBlock();
            txtLog_->ensureCursorVisible();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

// Esc closes no dialog here (nor does Enter press a button: neither is a default).
void FrmLog::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Cancel)) {
        e->ignore();
        return;
    }
    QDialog::keyPressEvent(e);
}

void FrmLog::closeEvent(QCloseEvent* e)
{
    // Destroyed with its text (WA_DeleteOnClose); the next use makes a new one.
    if (current() == this)
        current() = nullptr;
    e->accept();
}

void FrmLog::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    if (!e->spontaneous())
        Q_EMIT dismissed();
}

void FrmLog::CmdClose_Click() { hide(); }

void FrmLog::CmdErase_Click() { setRecord({}); }

QString FrmLog::record() const { return recordtext::read(*txtLog_->document()); }

void FrmLog::setRecord(QStringView text)
{
    recordtext::replace(*txtLog_->document(), text);
    showFromStart();
}

void FrmLog::appendRecord(QStringView text)
{
    recordtext::append(*txtLog_->document(), text);
    showFromStart();
}

void FrmLog::showFromStart()
{
    QTextCursor c = txtLog_->textCursor();
    c.movePosition(QTextCursor::Start);
    txtLog_->setTextCursor(c);
    txtLog_->verticalScrollBar()->setValue(0);
}

} // namespace honura
