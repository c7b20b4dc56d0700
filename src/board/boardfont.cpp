#include "board/boardfont.h"

#include "board/fontdialog.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

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

QList<double> listedPointSizes()
{
    return {8, 9, 10, 10.5, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
}

std::optional<double> pointSizeFromText(const QString& text)
{
    QString t = text.normalized(QString::NormalizationForm_KC).trimmed();
    t.replace(u',', u'.');
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!number.match(t).hasMatch())
        return std::nullopt;
    const double points = std::clamp(t.toDouble(), kMinPoints, kMaxPoints);
    return std::round(points * 10) / 10;
}

QString pointSizeText(double points)
{
    QString t = QString::number(points, 'f', 1);
    if (t.endsWith(QLatin1String(".0")))
        t.chop(2);
    return t;
}

QString styleName(bool bold, bool italic)
{
    QStringList parts;
    if (bold)
        parts << QCoreApplication::translate("QFontDatabase", "Bold");
    if (italic)
        parts << QCoreApplication::translate("QFontDatabase", "Italic");
    if (parts.isEmpty())
        return QCoreApplication::translate("QFontDatabase", "Normal",
                                           "The Normal or Regular font weight");
    return parts.join(u' ');
}

std::optional<QFont> chooseBoardFont(QWidget* parent, const QFont& board)
{
    QStringList faces;
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family) && !family.startsWith(u'@'))
            faces.append(family); // (an @ face is a Windows face's vertical writing)
    FontDialog dlg(faces, parent);
    // The family as the font list spells it (fontconfig gives families their
    // local names), found from the face the board is drawn in.
    const QString opened = QFontInfo(board).family();
    dlg.setChoice(opened, board.pointSizeF(), board.bold(), board.italic());
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    const std::optional<double> points = dlg.points();
    if (!points)
        return std::nullopt;
    return makeFont(dlg.face() == opened ? board.family() : dlg.face(), *points, dlg.bold(),
                    dlg.italic());
}

} // namespace honura
