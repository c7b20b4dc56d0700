#include "board/frmmain.h"

#include "board/boardaccess.h"
#include "board/boardfont.h"
#include "board/menustrip.h"
#include "controls/clicklabel.h"
#include "pictures/pictures.h"
#include "platform/platform.h"
#include "platform/windowframe.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>

#include <limits>

namespace honura {

namespace {

QPalette whitePalette(const QPalette& base)
{
    QPalette pal = base;
    pal.setColor(QPalette::Window, boarddef::kBackground);
    return pal;
}

QFont designLabelFont()
{
    QFont f(boarddef::kLabelFace.toString());
    f.setPointSizeF(boarddef::kLabelPointSize);
    f.setBold(boarddef::kLabelBold);
    f.setItalic(false);
    f.setUnderline(false);
    return f;
}

} // namespace

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(boarddef::kCaption.toString());
    // The program icon: the board's own, and the application's (for Qt's
    // dialogs and the program's windows without a parent) only once the
    // board's window exists. Qt's X11 backend sends a window's icon to the X
    // server when it makes the window and again when the window takes its
    // widget's icon: a board showing the application's icon would have the
    // six renderings (350 KB) sent twice before its first frame.
    const QIcon appIcon = QGuiApplication::windowIcon();
    setWindowIcon(appIcon.isNull() ? pictures::appIcon() : appIcon);
    setAttribute(Qt::WA_DeleteOnClose, false);
    installBoardAccessibility();

    client_ = new BoardArea(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setAutoFillBackground(true);
    client_->setPalette(whitePalette(client_->palette()));
    client_->setMinimumSize(0, 0);
    setCentralWidget(client_);

    buildControls();
    buildMenu();

    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    resize(twips::twipsToPixels(boarddef::kClientWidth, tppX),
           twips::twipsToPixels(boarddef::kClientHeight, tppY) + menuStrip_->sizeHint().height());
}

FrmMain::~FrmMain() = default;

QWidget* FrmMain::clientArea() const { return client_; }

void FrmMain::buildControls()
{
    const double tppY = platform().twipsPerPixelY();
    const QFont labelFont = designLabelFont();

    const auto makeLabel = [&](const boarddef::ControlDef& def, QStringView caption) {
        auto* l = new ClickLabel(caption.toString(), client_);
        l->setAlignment(def.alignment);
        l->setAutoFillBackground(true); // in the client area's white
        l->setFont(labelFont);
        // Assistive technology reads the caption as the label's name (see
        // boardaccess.cpp); naming the label here would build its interface
        // before any assistive technology asks.
        return l;
    };

    // Created back to front: a later sibling is drawn over an earlier one.
    for (const boarddef::ControlDef& def : boarddef::kControls) {
        const QString name = QString::fromLatin1(def.name);
        switch (def.kind) {
        case boarddef::Kind::Image:
            if (name == QLatin1String("ImgHide")) {
                imgHide_ = new QLabel(client_);
                imgHide_->setObjectName(name);
                imgHide_->setVisible(false); // carries the hand of possession mode
            } else {
                imgMark_ = new ClickLabel(client_);
                imgMark_->setObjectName(name);
                const QPixmap pic = pictures::toriiPixmap(devicePixelRatioF());
                imgMark_->setPixmap(pic);
                imgMark_->setFixedSize(pic.deviceIndependentSize().toSize());
                imgMark_->setAccessibleName(def.accessibleName.toString());
                connect(imgMark_, &ClickLabel::clicked, this, &FrmMain::ImgMark_Click);
                connect(imgMark_, &ClickLabel::doubleClicked, this, &FrmMain::ImgMark_DblClick);
            }
            break;
        case boarddef::Kind::LabelArray:
            for (int i = layout::kCellCount - 1; i >= 0; --i) {
                ClickLabel* cell =
                    makeLabel(def, boarddef::kCharTable[static_cast<std::size_t>(i)]);
                cell->setObjectName(QStringLiteral("LblChar_%1").arg(i));
                connect(cell, &ClickLabel::clicked, this, [this, i] { LblChar_Click(i); });
                cells_[static_cast<std::size_t>(i)] = cell;
            }
            break;
        case boarddef::Kind::Label: {
            ClickLabel* l = makeLabel(def, def.caption);
            l->setObjectName(name);
            (name == QLatin1String("lblYes") ? lblYes_ : lblNo_) = l;
            break;
        }
        case boarddef::Kind::TextBox:
            txtMsg_ = new LineEdit(client_);
            txtMsg_->setObjectName(name);
            txtMsg_->setAccessibleName(def.accessibleName.toString());
            txtMsg_->setFixedHeight(twips::twipsToPixels(boarddef::kTxtMsgHeight, tppY));
            txtMsg_->setMaxLength(std::numeric_limits<int>::max()); // no limit of its own
            txtMsg_->setFocusPolicy(Qt::StrongFocus);
            setFocusProxy(txtMsg_);
            txtMsg_->setFocus();
            break;
        }
    }

    // Enter commits, as a click on the torii does; Ctrl+Enter does what a
    // double-click on the torii does: it commits, then enters or leaves
    // possession mode.
    connect(txtMsg_, &QLineEdit::returnPressed, imgMark_, &ClickLabel::click);
    connect(txtMsg_, &LineEdit::ctrlReturnPressed, imgMark_, &ClickLabel::doubleClickGesture);

    // Assistive technology reads the board from the top: the message box, the
    // answers with the torii between them, then the cells.
    QList<QWidget*> order{txtMsg_, lblYes_, imgMark_, lblNo_};
    for (int i : cellReadingOrder())
        order.append(LblChar(i));
    client_->setReadingOrder(order);
}

// Four plain commands that wrap onto a second row rather than hide in a
// drop-down; the strip is the program's own, so it never moves into a
// desktop's global menu.
void FrmMain::buildMenu()
{
    menuStrip_ = new MenuStrip(this);
    setMenuWidget(menuStrip_);
    void (FrmMain::*handlers[])() = {&FrmMain::MnuEnd_Click, &FrmMain::MnuFont_Click,
                                     &FrmMain::MnuLog_Click, &FrmMain::MnuAbout_Click};
    for (std::size_t i = 0; i < boarddef::kMenu.size(); ++i) {
        QAction* a = menuStrip_->addCommand(boarddef::kMenu[i].caption.toString());
        a->setObjectName(QString::fromLatin1(boarddef::kMenu[i].name));
        connect(a, &QAction::triggered, this, handlers[i]);
        menu_[i] = a;
    }
}

bool FrmMain::startUp()
{
    if (platform().anotherInstanceRunning()) {
        shareIcon(); // the refusal has a window of its own
        platform().messageBox(QStringLiteral("同時に複数のホヌラを呼び出すことはできません。"),
                              MsgCritical);
        return false;
    }
    SettingLoad();
    BoardSet();
    ImgMarkSet();
    TxtMsgSet();
    FontSet();
    return true;
}

// ---------------------------------------------------------------- geometry

QSize FrmMain::frameExtra() const
{
    const QMargins m = windowFrame(this);
    return {m.left() + m.right(), m.top() + m.bottom()};
}

QRectF FrmMain::outerTwips() const
{
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    const QRect r = frameGeometry();
    return {r.x() * tppX, r.y() * tppY, r.width() * tppX, r.height() * tppY};
}

QSizeF FrmMain::clientTwips() const
{
    return {client_->width() * platform().twipsPerPixelX(),
            client_->height() * platform().twipsPerPixelY()};
}

void FrmMain::setOuterTwips(const FormGeometry& g)
{
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    const QSize extra = frameExtra();
    move(twips::twipsToPixels(g.left, tppX), twips::twipsToPixels(g.top, tppY));
    resize(std::max(1, twips::twipsToPixels(g.width, tppX) - extra.width()),
           std::max(1, twips::twipsToPixels(g.height, tppY) - extra.height()));
    pendingOuter_ = g;
    frameFixPending_ = extra.isNull();
}

// Before the window manager frames the window its frame is unknown; once it is
// known, the size is corrected so that the outer rectangle is the one asked for.
void FrmMain::applyPendingFrameFix()
{
    const QSize extra = frameExtra();
    if (extra == frameSeen_)
        return;
    frameSeen_ = extra;
    if (frameFixPending_ && !extra.isNull() && windowState() == Qt::WindowNoState) {
        frameFixPending_ = false;
        setOuterTwips(pendingOuter_);
    }
    relayout(); // the outer size changed even where the client size did not
}

void FrmMain::shareIcon() const
{
    if (QGuiApplication::windowIcon().isNull())
        QGuiApplication::setWindowIcon(windowIcon());
}

void FrmMain::noteNormalGeometry()
{
    if (isVisible() &&
        !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        lastNormalOuter_ = outerTwips();
}

bool FrmMain::event(QEvent* e)
{
    const bool r = QMainWindow::event(e);
    switch (e->type()) {
    case QEvent::Show:
        shareIcon();
        [[fallthrough]];
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        applyPendingFrameFix();
        noteNormalGeometry();
        break;
    default:
        break;
    }
    return r;
}

// ---------------------------------------------------------------- layout

void FrmMain::place(QWidget* w, const twips::TwipBox& box) const
{
    const twips::PixelBox p =
        twips::toPixels(box, platform().twipsPerPixelX(), platform().twipsPerPixelY());
    w->setGeometry(p.x, p.y, p.width, p.height);
}

void FrmMain::BoardSet()
{
    const QRectF outer = outerTwips();
    const layout::BoardPlaces places = layout::boardPlaces(outer.width(), outer.height());
    place(lblYes_, places.yes);
    place(lblNo_, places.no);
    for (int i = 0; i <= LblCharUBound(); ++i)
        place(LblChar(i), places.cells[static_cast<std::size_t>(i)]);
}

void FrmMain::TxtMsgSet()
{
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    const layout::TxtMsgPlace p = layout::txtMsgPlace(outerTwips().width());
    const twips::PixelBox px = twips::toPixels(
        {p.left, p.top, p.width, static_cast<float>(boarddef::kTxtMsgHeight)}, tppX, tppY);
    txtMsg_->setGeometry(px.x, px.y, px.width, txtMsg_->height());
}

void FrmMain::ImgMarkSet()
{
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    const QRectF outer = outerTwips();
    const layout::ImgMarkPlace p = layout::imgMarkPlace(
        outer.width(), outer.height(), imgMark_->width() * tppX, imgMark_->height() * tppY);
    imgMark_->move(twips::twipsToPixels(p.left, tppX), twips::twipsToPixels(p.top, tppY));
}

void FrmMain::relayout()
{
    BoardSet();
    TxtMsgSet();
    ImgMarkSet();
}

void FrmMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    relayout();
}

// The labels get the face that is drawn for the board font's face name (an
// installed substitute where that face is absent); the board font keeps the name.
void FrmMain::FontSet()
{
    const QString family = drawnFamily(boardFont_.family());
    const auto apply = [this, &family](QLabel* l) {
        QFont f = l->font();
        f.setFamily(family);
        f.setBold(boardFont_.bold());
        f.setItalic(boardFont_.italic());
        f.setPointSizeF(boardFont_.pointSizeF());
        l->setFont(f);
    };
    apply(lblYes_);
    apply(lblNo_);
    for (int i = 0; i <= LblCharUBound(); ++i)
        apply(LblChar(i));
}

// ---------------------------------------------------------------- shut-down

void FrmMain::MnuEnd_Click() { close(); }

void FrmMain::closeEvent(QCloseEvent* e)
{
    if (!closing_) {
        closing_ = true;
        CursorFree();
        GeometryRefresh();
        SettingSave();
    }
    e->accept();
    QCoreApplication::quit();
}

} // namespace honura
