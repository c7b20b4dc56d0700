#include "about/frmabout.h"

#include "about/aboutdef.h"
#include "controls/clicklabel.h"
#include "controls/twips.h"
#include "pictures/pictures.h"
#include "platform/platform.h"
#include "platform/windowframe.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <vector>

namespace honura {

QString versionText(const AppVersion& v)
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

namespace {

QFont faceFont(QStringView face, double pointSize)
{
    QFont f(face.toString());
    f.setPointSizeF(pointSize);
    f.setBold(false);
    f.setItalic(false);
    return f;
}

void setTextColour(QWidget* w, const QColor& c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, c);
    w->setPalette(pal);
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(aboutdef::kStoredCaption.toString());
    setWindowIcon(pictures::appIcon());
    setFont(faceFont(aboutdef::kWindowFace, aboutdef::kWindowPointSize));
    setAttribute(Qt::WA_DeleteOnClose, false);
    platform().useDialogFrame(*this); // the close box only, as the flags say

    buildControls();
    placeWindow();
    Form_Load();
}

frmAbout::~frmAbout() = default;

QWidget* frmAbout::makeControl(const aboutdef::ControlDef& def)
{
    const QString caption = def.caption.toString();
    switch (def.kind) {
    case aboutdef::Kind::Picture: {
        auto* pic = new QLabel(this);
        pic->setPixmap(QPixmap::fromImage(pictures::foxIcon()));
        pic->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return pic;
    }
    case aboutdef::Kind::Button: {
        auto* b = new QPushButton(caption, this);
        b->setAutoDefault(true); // Enter presses the button that has the focus
        return b;
    }
    case aboutdef::Kind::Label:
        break;
    }
    QLabel* l = def.look == aboutdef::Look::Link ? new ClickLabel(caption, this)
                                                 : new QLabel(caption, this);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    switch (def.look) {
    case aboutdef::Look::Plain:
        break;
    case aboutdef::Look::BlackWrapped:
        l->setWordWrap(true);
        [[fallthrough]];
    case aboutdef::Look::Black:
        setTextColour(l, aboutdef::kBlack);
        break;
    case aboutdef::Look::Link: {
        QFont f = faceFont(aboutdef::kLinkFace, aboutdef::kLinkPointSize);
        f.setUnderline(true);
        l->setFont(f);
        setTextColour(l, aboutdef::kLinkColour);
        l->setAccessibleDescription(QStringLiteral("作者ホームページを開きます"));
        break;
    }
    }
    return l;
}

void frmAbout::buildControls()
{
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const aboutdef::ControlDef& def : aboutdef::kControls) {
        QWidget* w = makeControl(def);
        w->setObjectName(QString::fromLatin1(def.name));
        w->setAccessibleName(def.accessibleName.isEmpty()
                                 ? w->property("text").toString().remove(QLatin1Char('&'))
                                 : def.accessibleName.toString());
        const twips::PixelBox p =
            twips::toPixels({static_cast<float>(def.left), static_cast<float>(def.top),
                             static_cast<float>(def.width), static_cast<float>(def.height)},
                            tppX, tppY);
        w->setGeometry(p.x, p.y, p.width, p.height);
        tabOrder.emplace_back(def.tabIndex, w);
    }
    // Keyboard order; only the buttons take the focus.
    std::sort(tabOrder.begin(), tabOrder.end());
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);

    const auto control = [this](const char* name) {
        return findChild<QWidget*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    };
    picIcon_ = static_cast<QLabel*>(control("picIcon"));
    lblTitle_ = static_cast<QLabel*>(control("lblTitle"));
    lblVersion_ = static_cast<QLabel*>(control("lblVersion"));
    lblDescription_ = static_cast<QLabel*>(control("lblDescription"));
    label1_ = static_cast<QLabel*>(control("Label1"));
    label2_ = static_cast<ClickLabel*>(control("Label2"));
    cmdOK_ = static_cast<QPushButton*>(control("cmdOK"));
    cmdSysInfo_ = static_cast<QPushButton*>(control("cmdSysInfo"));

    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    connect(label2_, &ClickLabel::clicked, this, &frmAbout::Label2_Click);
    tabOrder.front().second->setFocus();
}

// ---------------------------------------------------------------- placement

QPoint frmAbout::clientTarget() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    const QPoint origin = s ? s->geometry().topLeft() : QPoint();
    return origin + QPoint(twips::twipsToPixels(aboutdef::kClientLeft, platform().twipsPerPixelX()),
                           twips::twipsToPixels(aboutdef::kClientTop, platform().twipsPerPixelY()));
}

void frmAbout::placeWindow()
{
    const QSize client(twips::twipsToPixels(aboutdef::kClientWidth, platform().twipsPerPixelX()),
                       twips::twipsToPixels(aboutdef::kClientHeight, platform().twipsPerPixelY()));
    setFixedSize(client);
    // The geometry of a top-level widget is that of its client area.
    setGeometry(QRect(clientTarget(), client));
    placementChecked_ = false;
}

// Where the window manager placed the client area elsewhere once it framed
// the window, the window is moved back once.
void frmAbout::correctPlacement()
{
    if (placementChecked_ || !isVisible())
        return;
    const bool framed = !windowFrame(this).isNull();
    if (!framed && QGuiApplication::platformName() == QLatin1String("xcb"))
        return; // the frame is not known yet
    placementChecked_ = true;
    const QPoint target = clientTarget();
    if (geometry().topLeft() != target)
        move(pos() + (target - geometry().topLeft()));
}

bool frmAbout::event(QEvent* e)
{
    const bool r = QDialog::event(e);
    switch (e->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        correctPlacement();
        break;
    default:
        break;
    }
    return r;
}

// ---------------------------------------------------------------- load and events

void frmAbout::Form_Load()
{
    setWindowTitle(appTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    lblVersion_->setText(versionText(appVersion()));
    lblTitle_->setText(appTitle());
    lblVersion_->setAccessibleName(lblVersion_->text());
    lblTitle_->setAccessibleName(lblTitle_->text());
}

void frmAbout::cmdOK_Click() { done(QDialog::Accepted); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

// A browser that cannot be started leaves everything as it was.
void frmAbout::Label2_Click() { platform().openUrl(aboutdef::kHomePage.toString()); }

// Esc is OK wherever the focus is; Enter is left to the dialog, which presses
// the button with the focus, or cmdOK.
void frmAbout::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        cmdOK_Click();
        return;
    }
    QDialog::keyPressEvent(e);
}

void frmAbout::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    const double tppX = platform().twipsPerPixelX();
    const double tppY = platform().twipsPerPixelY();
    QPainter p(this);
    for (const aboutdef::LineDef& line : aboutdef::kLine1) {
        const int x1 = twips::twipsToPixels(line.x1, tppX);
        const int x2 = twips::twipsToPixels(line.x2, tppX);
        const int y = twips::twipsToPixels(line.y, tppY);
        p.fillRect(x1, y, x2 - x1, line.widthPixels, line.colour);
    }
}

} // namespace honura
