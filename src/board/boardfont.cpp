#include "board/boardfont.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSet>
#include <QStringListModel>

#include <cstdlib>

namespace honura {

void registerFaceSubstitutes()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

namespace {

// The family as the font list spells it, or an empty string where it is not listed.
QString listedFamily(const QStringList& families, const QString& name)
{
    for (const QString& listed : families)
        if (listed.compare(name, Qt::CaseInsensitive) == 0)
            return listed;
    return {};
}

QString resolveFamily(const QString& face)
{
    // A face the program substitutes (a Windows face of the board): the face
    // where it is installed, else an installed substitute, found in the font
    // list without asking the font configuration for aliases of the face (a
    // query that costs as much as the rest of this together).
    if (const QStringList subs = QFont::substitutes(face); !subs.isEmpty()) {
        const QStringList families = QFontDatabase::families();
        if (!listedFamily(families, face).isEmpty())
            return face;
        for (const QString& sub : subs)
            if (QString listed = listedFamily(families, sub); !listed.isEmpty())
                return listed; // spelt as listed: the substitutes are kept in lower case
    }
    if (QFontDatabase::hasFamily(face))
        return face;
    // Families listed under another name in this locale, and absent faces:
    // what the toolkit finds for the name.
    return QFontInfo(QFont(face)).family();
}

} // namespace

QString drawnFamily(const QString& face)
{
    static QHash<QString, QString> resolved;
    auto it = resolved.constFind(face);
    if (it == resolved.constEnd())
        it = resolved.insert(face, resolveFamily(face));
    return *it;
}

QFont makeFont(const QString& family, double points, bool bold, bool italic)
{
    QFont f;
    f.setFamily(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

namespace {

bool isBold(int weight) { return weight >= QFont::DemiBold; }

// The style names the dialog shows for a family: its own, and where it has no
// bold style, a synthetic bold for each of its styles (drawn emboldened).
struct Styles {
    QStringList own;
    QStringList synthetic;
    QSet<QString> syntheticItalic;
};

Styles stylesOf(const QString& family)
{
    Styles s;
    s.own = QFontDatabase::styles(family);
    bool hasBold = false;
    for (const QString& style : s.own)
        hasBold = hasBold || isBold(QFontDatabase::weight(family, style));
    if (hasBold)
        return s;
    for (const QString& style : s.own) {
        const bool italic = QFontDatabase::italic(family, style);
        QFont f;
        f.setBold(true);
        f.setItalic(italic);
        const QString name = QFontDatabase::styleString(f);
        if (!s.own.contains(name) && !s.synthetic.contains(name)) {
            s.synthetic.append(name);
            if (italic)
                s.syntheticItalic.insert(name);
        }
    }
    return s;
}

// The style the dialog starts on: the family's own style of the board's
// slant nearest to its weight (the shorter name among equals: "Book" rather
// than "Condensed"), or a synthetic bold where the family has no bold.
QString startStyle(const QString& family, bool bold, bool italic)
{
    const Styles s = stylesOf(family);
    if (bold)
        for (const QString& style : s.synthetic)
            if (s.syntheticItalic.contains(style) == italic)
                return style;
    const int target = bold ? QFont::Bold : QFont::Normal;
    QString best;
    int bestScore = 0;
    for (const QString& style : s.own) {
        const int score = (QFontDatabase::italic(family, style) == italic ? 0 : 10000) +
                          std::abs(QFontDatabase::weight(family, style) - target);
        if (best.isEmpty() || score < bestScore ||
            (score == bestScore && style.size() < best.size())) {
            best = style;
            bestScore = score;
        }
    }
    return best;
}

// The board font offers face, style and size only: no effects, no writing system.
void hideExtras(QFontDialog& dlg)
{
    for (QGroupBox* box : dlg.findChildren<QGroupBox*>())
        if (!box->findChildren<QCheckBox*>().isEmpty())
            box->hide();
    for (QComboBox* combo : dlg.findChildren<QComboBox*>()) {
        combo->hide();
        for (QLabel* label : dlg.findChildren<QLabel*>())
            if (label->buddy() == combo)
                label->hide();
    }
}

// The dialog's own widgets, in the order it builds them.
struct DialogParts {
    QListView* families = nullptr;
    QListView* styles = nullptr;
    QListView* sizes = nullptr;
    QLineEdit* sizeEdit = nullptr;
    QLineEdit* sample = nullptr;
};

std::optional<DialogParts> partsOf(QFontDialog& dlg)
{
    const auto lists = dlg.findChildren<QListView*>(Qt::FindDirectChildrenOnly);
    const auto edits = dlg.findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
    auto* sample = dlg.findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"));
    if (lists.size() != 3 || edits.size() != 3 || !sample)
        return std::nullopt;
    return DialogParts{lists[0], lists[1], lists[2], edits[2], sample};
}

// Adds the synthetic bold styles to the dialog's style list whenever the list
// is filled for a family, and while one of them is chosen keeps the sizes of
// the face listed and the sample (the dialog's current font) bold: the dialog
// itself knows only the styles the face has.
class SyntheticBold : public QObject {
  public:
    SyntheticBold(QFontDialog& dlg, const DialogParts& parts, int size)
        : QObject(&dlg), parts_(parts), size_(size)
    {
        auto* model = qobject_cast<QStringListModel*>(parts.styles->model());
        if (!model)
            return;
        connect(model, &QAbstractItemModel::modelReset, this, [this, model] {
            if (filling_)
                return;
            current_ = stylesOf(parts_.families->currentIndex().data().toString());
            if (!current_.synthetic.isEmpty()) {
                filling_ = true;
                model->setStringList(model->stringList() + current_.synthetic);
                filling_ = false;
            }
        });
        connect(&dlg, &QFontDialog::currentFontChanged, this, &SyntheticBold::apply);
    }

    void apply()
    {
        if (const int typed = parts_.sizeEdit->text().toInt(); typed > 0)
            size_ = typed;
        const QString style = parts_.styles->currentIndex().data().toString();
        if (!current_.synthetic.contains(style))
            return;
        auto* sizes = qobject_cast<QStringListModel*>(parts_.sizes->model());
        if (sizes && sizes->rowCount() == 0) {
            QStringList list;
            for (int s : QFontDatabase::standardSizes())
                list.append(QString::number(s));
            const QSignalBlocker noSignals(parts_.sizes);
            sizes->setStringList(list);
            parts_.sizes->setCurrentIndex(
                sizes->index(static_cast<int>(list.indexOf(QString::number(size_)))));
            const QSignalBlocker noEditSignals(parts_.sizeEdit);
            parts_.sizeEdit->setText(QString::number(size_));
        }
        QFont f = parts_.sample->font();
        f.setStyleName(QString());
        f.setPointSize(size_);
        f.setBold(true);
        f.setItalic(current_.syntheticItalic.contains(style));
        parts_.sample->setFont(f);
    }

  private:
    DialogParts parts_;
    int size_;
    Styles current_;
    bool filling_ = false;
};

} // namespace

std::optional<QFont> chooseBoardFont(QWidget* parent, const QFont& board)
{
    QFontDialog dlg(parent);
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    hideExtras(dlg);
    const std::optional<DialogParts> parts = partsOf(dlg);
    SyntheticBold* synthetic = nullptr;
    if (parts) {
        synthetic = new SyntheticBold(dlg, *parts, qRound(board.pointSizeF()));
        // The sample shares its rows with the hidden extras: keep it tall
        // enough to show the chosen font, in the characters of the board.
        parts->sample->setText(QStringLiteral("AaBbYyZz あいうえお"));
        // (The dialog's own font: the sample's is whatever face the dialog lists first.)
        parts->sample->setMinimumHeight(3 * dlg.fontMetrics().height());
    }

    // The family as the font list spells it (fontconfig gives families their
    // local names), found from the face the board is drawn in.
    const QString family = QFontInfo(board).family();
    QFont start = makeFont(family, board.pointSizeF(), board.bold(), board.italic());
    start.setStyleName(startStyle(family, board.bold(), board.italic()));
    dlg.setCurrentFont(start);
    if (synthetic)
        synthetic->apply();

    // The dialog lists whole sizes only, and may list the face under another
    // name: what the user leaves as it opened stays as the board has it.
    const QFont opened = dlg.currentFont();
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    const QFont chosen = dlg.selectedFont();
    if (chosen.pointSizeF() <= 0 || chosen.family().isEmpty())
        return std::nullopt;
    const bool sameFace = chosen.family() == opened.family();
    const bool sameStyle =
        sameFace && chosen.bold() == opened.bold() && chosen.italic() == opened.italic();
    const bool sameSize = chosen.pointSizeF() == opened.pointSizeF();
    return makeFont(sameFace ? board.family() : chosen.family(),
                    sameSize ? board.pointSizeF() : chosen.pointSizeF(),
                    sameStyle ? board.bold() : chosen.bold(),
                    sameStyle ? board.italic() : chosen.italic());
}

} // namespace honura
