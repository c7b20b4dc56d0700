#include "settings/boardsettings.h"

#include "settings/convert.h"
#include "settings/inifile.h"

#include <algorithm>
#include <limits>

namespace honura {

namespace {

const QString kFont = QStringLiteral("FONT");
const QString kForm = QStringLiteral("Form");
const QString kName = QStringLiteral("NAME");
const QString kSize = QStringLiteral("SIZE");
const QString kBold = QStringLiteral("BOLD");
const QString kItalic = QStringLiteral("ITALIC");
const QString kTop = QStringLiteral("TOP");
const QString kLeft = QStringLiteral("LEFT");
const QString kWidth = QStringLiteral("WIDTH");
const QString kHeight = QStringLiteral("HEIGHT");

std::int32_t readInt(const QString& path, const QString& section, const QString& key,
                     std::int32_t fallback,
                     std::int32_t min = std::numeric_limits<std::int32_t>::min(),
                     std::int32_t max = std::numeric_limits<std::int32_t>::max())
{
    const std::optional<std::int32_t> v =
        convert::toInt32(IniGet(path, section, key, QString::number(fallback)));
    return v && *v >= min && *v <= max ? *v : fallback;
}

bool readBool(const QString& path, const QString& key, bool fallback)
{
    return convert::toBoolean(IniGet(path, kFont, key, convert::booleanText(fallback)))
        .value_or(fallback);
}

// Squared distance between two rectangles (zero when they overlap).
qint64 distance2(const QRect& a, const QRect& b)
{
    const qint64 dx =
        std::max<qint64>({0, qint64(b.left()) - a.right(), qint64(a.left()) - b.right()});
    const qint64 dy =
        std::max<qint64>({0, qint64(b.top()) - a.bottom(), qint64(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

BoardSettings loadBoardSettings(const QString& path)
{
    const BoardSettings d;
    BoardSettings s;
    s.fontName = IniGet(path, kFont, kName, d.fontName);
    if (s.fontName.isEmpty())
        s.fontName = d.fontName;
    s.fontSize = static_cast<float>(readInt(
        path, kFont, kSize, static_cast<std::int32_t>(d.fontSize), kMinFontSize, kMaxFontSize));
    s.bold = readBool(path, kBold, d.bold);
    s.italic = readBool(path, kItalic, d.italic);
    s.top = readInt(path, kForm, kTop, d.top);
    s.left = readInt(path, kForm, kLeft, d.left);
    s.width = readInt(path, kForm, kWidth, d.width, 1);
    s.height = readInt(path, kForm, kHeight, d.height, 1);
    return s;
}

std::array<SettingText, 8> settingTexts(const BoardSettings& s)
{
    return {{{kFont, kName, s.fontName},
             {kFont, kSize, convert::fontSizeText(s.fontSize)},
             {kFont, kBold, convert::booleanText(s.bold)},
             {kFont, kItalic, convert::booleanText(s.italic)},
             {kForm, kTop, QString::number(s.top)},
             {kForm, kLeft, QString::number(s.left)},
             {kForm, kWidth, QString::number(s.width)},
             {kForm, kHeight, QString::number(s.height)}}};
}

void saveBoardSettings(const QString& path, const BoardSettings& s)
{
    IniEdit file(path);
    for (const SettingText& t : settingTexts(s))
        file.put(t.section, t.key, t.text);
    file.commit();
}

QRect fitOnScreens(const QRect& window, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return window;
    const QRect* nearest = &screens.front();
    qint64 best = std::numeric_limits<qint64>::max();
    for (const QRect& s : screens) {
        if (s.intersects(window))
            return window;
        const qint64 d = distance2(window, s);
        if (d < best) {
            best = d;
            nearest = &s;
        }
    }
    const QRect& s = *nearest;
    const int w = std::min(window.width(), s.width());
    const int h = std::min(window.height(), s.height());
    const int x = std::clamp(window.x(), s.x(), s.x() + s.width() - w);
    const int y = std::clamp(window.y(), s.y(), s.y() + s.height() - h);
    return {x, y, w, h};
}

} // namespace honura
