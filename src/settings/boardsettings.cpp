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

bool saveBoardSettings(const QString& path, const BoardSettings& s)
{
    IniEdit file(path);
    for (const SettingText& t : settingTexts(s))
        file.put(t.section, t.key, t.text);
    return file.commit();
}

QRect fitOnScreens(const QRect& window, const QList<QRect>& screens, const QSize& minimum,
                   const QSize& fallback)
{
    const auto intersectsAny = [](const QRect& r, const QList<QRect>& list) {
        return std::any_of(list.begin(), list.end(),
                           [&r](const QRect& s) { return s.intersects(r); });
    };
    QList<QRect> usable;
    for (const QRect& s : screens)
        if (s.width() >= minimum.width() && s.height() >= minimum.height())
            usable.append(s);
    if (usable.isEmpty()) {
        const QSize size =
            window.size().expandedTo(minimum).boundedTo(fallback.expandedTo(minimum));
        const QPoint at = screens.isEmpty() || intersectsAny(window, screens)
                              ? window.topLeft()
                              : screens.front().topLeft();
        return {at, size};
    }

    // The screen the window is on most, else the nearest one.
    const QRect* on = &usable.front();
    qint64 most = 0;
    qint64 nearest = std::numeric_limits<qint64>::max();
    for (const QRect& s : usable) {
        const QRect both = s.intersected(window);
        const qint64 area = qint64(both.width()) * both.height();
        const qint64 d = distance2(window, s);
        if (area > most || (most == 0 && d < nearest)) {
            on = &s;
            most = std::max(most, area);
            nearest = std::min(nearest, d);
        }
    }
    const QRect& s = *on;
    const int w = std::clamp(window.width(), minimum.width(), s.width());
    const int h = std::clamp(window.height(), minimum.height(), s.height());
    QRect r(window.x(), window.y(), w, h);
    if (!intersectsAny(r, usable)) {
        r.moveLeft(std::clamp(r.x(), s.x(), s.x() + s.width() - w));
        r.moveTop(std::clamp(r.y(), s.y(), s.y() + s.height() - h));
    } else if (std::none_of(usable.begin(), usable.end(), [&r](const QRect& u) {
                   return r.y() >= u.top() && r.y() <= u.bottom() && r.x() <= u.right() &&
                          r.right() >= u.left();
               })) {
        r.moveTop(std::max(r.y(), s.y()));
    }
    return r;
}

} // namespace honura
