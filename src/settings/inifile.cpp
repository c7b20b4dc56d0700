#include "settings/inifile.h"

#include "platform/cp932.h"
#include "settings/profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

namespace honura {

namespace {

std::optional<std::string> toBytes(const QString& text)
{
    const std::optional<QByteArray> b = cp932::encode(text);
    if (!b)
        return std::nullopt;
    return b->toStdString();
}

} // namespace

namespace profile {

FileContents readFile(const QString& path)
{
    FileContents c;
    const QFileInfo fi(path);
    if (!fi.exists() && !fi.isSymLink())
        return c;
    c.state = FileContents::Unreadable;
    if (!fi.isFile() || fi.size() > kMaxFileSize)
        return c;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return c;
    const QByteArray all = f.read(kMaxFileSize + 1);
    if (f.error() != QFileDevice::NoError || all.size() > kMaxFileSize)
        return c;
    c.bytes = all.toStdString();
    c.state = FileContents::Read;
    return c;
}

bool writeFile(const QString& path, std::string_view bytes)
{
    const QFileInfo fi(path);
    const bool exists = fi.exists();
    // A read-only file stays as it is, even for a user who could replace it.
    if (exists &&
        (!fi.isFile() || !fi.isWritable() || !(fi.permissions() & QFileDevice::WriteOwner)))
        return false;
    QSaveFile f(path);
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (exists)
        f.setPermissions(fi.permissions());
    const auto size = static_cast<qint64>(bytes.size());
    if (f.write(bytes.data(), size) != size) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

} // namespace profile

QString IniGet(const QString& path, const QString& section, const QString& key,
               const QString& fallback)
{
    const std::optional<std::string> s = toBytes(section);
    const std::optional<std::string> k = toBytes(key);
    if (!s || !k)
        return fallback;
    const profile::FileContents file = profile::readFile(path);
    if (file.state != profile::FileContents::Read)
        return fallback;
    const std::optional<std::string> raw = profile::find(file.bytes, *s, *k);
    if (!raw)
        return fallback;
    const std::string value = profile::cutToBuffer(*raw);
    const std::optional<QString> text =
        cp932::decode(QByteArrayView(value.data(), static_cast<qsizetype>(value.size())));
    return text ? *text : fallback;
}

void IniPut(const QString& path, const QString& section, const QString& key, const QString& value)
{
    const std::optional<std::string> s = toBytes(section);
    const std::optional<std::string> k = toBytes(key);
    const std::optional<std::string> v = toBytes(value);
    if (!s || !k || !v)
        return;
    const profile::FileContents file = profile::readFile(path);
    if (file.state == profile::FileContents::Unreadable)
        return; // whatever it holds is not ours to overwrite
    const std::optional<std::string> edited = profile::put(file.bytes, *s, *k, *v);
    if (!edited || (file.state == profile::FileContents::Read && *edited == file.bytes))
        return;
    profile::writeFile(path, *edited);
}

} // namespace honura
