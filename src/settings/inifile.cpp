#include "settings/inifile.h"

#include "platform/cp932.h"
#include "platform/invokinguser.h"
#include "settings/atomicfile.h"
#include "settings/profile.h"

#include <QFile>
#include <QFileInfo>
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
    const AsInvokingUser asUser;
    FileContents c;
    const QFileInfo fi(path);
    if (!fi.exists() && !fi.isSymLink())
        return c;
    c.state = FileContents::Unreadable;
    if (!asUser.ok() || !fi.isFile() || fi.size() > kMaxFileSize)
        return c;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return c;
    // As much as the file holds, in pieces: a file that grows while it is read
    // stops at the limit.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(fi.size()));
    constexpr qint64 kPiece = qint64{64} * 1024;
    char piece[kPiece];
    for (;;) {
        const qint64 n = f.read(piece, kPiece);
        if (n < 0 || qint64(bytes.size()) + n > kMaxFileSize)
            return c;
        if (n == 0)
            break;
        bytes.append(piece, static_cast<std::size_t>(n));
    }
    c.bytes = std::move(bytes);
    c.state = FileContents::Read;
    return c;
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
    IniEdit edit(path);
    edit.put(section, key, value);
    edit.commit();
}

IniEdit::IniEdit(const QString& path) : path_(path)
{
    profile::FileContents file = profile::readFile(path);
    // Whatever an unreadable file holds is not ours to overwrite.
    readable_ = file.state != profile::FileContents::Unreadable;
    text_ = std::move(file.bytes);
}

void IniEdit::put(const QString& section, const QString& key, const QString& value)
{
    const std::optional<std::string> s = toBytes(section);
    const std::optional<std::string> k = toBytes(key);
    const std::optional<std::string> v = toBytes(value);
    if (!readable_ || !s || !k || !v)
        return;
    std::optional<std::string> edited = profile::put(text_, *s, *k, *v);
    if (!edited || *edited == text_)
        return;
    text_ = std::move(*edited);
    changed_ = true;
}

bool IniEdit::commit()
{
    if (!readable_ || !changed_)
        return readable_;
    if (!profile::writeFile(path_, text_))
        return false;
    changed_ = false;
    return true;
}

} // namespace honura
