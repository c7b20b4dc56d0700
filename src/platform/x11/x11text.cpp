// CP932 through glibc iconv.
#include "platform/cp932.h"
#include "platform/x11/x11platform.h"

#include <QSysInfo>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace honura {

namespace cp932 {

namespace {

constexpr const char* kUtf16 =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

// An iconv descriptor for one conversion, closed on every path.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts in to out. On an invalid or unconvertible input sequence, or an
    // incomplete one at the end, stops and returns false with *in at that place.
    bool run(const char** in, std::size_t* inLeft, QByteArray& out)
    {
        char buf[1024];
        while (*inLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t r = iconv(cd_, const_cast<char**>(in), inLeft, &dst, &dstLeft);
            out.append(buf, static_cast<qsizetype>(dst - buf));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
                return false;
        }
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft); // flush any shift state
        out.append(buf, static_cast<qsizetype>(dst - buf));
        return true;
    }

  private:
    iconv_t cd_;
};

QString fromUtf16Bytes(const QByteArray& bytes)
{
    return QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
}

// ASCII is ASCII in CP932 as well: such text (the settings file's sections,
// keys and numbers) needs no converter, whose first use loads a module.
bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::optional<QByteArray> encode(QStringView text)
{
    if (isAscii(text))
        return text.toLatin1();
    Converter c("CP932", kUtf16);
    if (!c.ok())
        return std::nullopt;
    const char* in = reinterpret_cast<const char*>(text.utf16());
    std::size_t left = static_cast<std::size_t>(text.size()) * 2;
    QByteArray out;
    if (!c.run(&in, &left, out))
        return std::nullopt;
    return out;
}

std::optional<QString> decode(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    Converter c(kUtf16, "CP932");
    if (!c.ok())
        return std::nullopt;
    const char* in = bytes.data();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    QByteArray out;
    if (!c.run(&in, &left, out))
        return std::nullopt;
    return fromUtf16Bytes(out);
}

QByteArray encodeLossy(QStringView text)
{
    if (isAscii(text))
        return text.toLatin1();
    QByteArray out;
    Converter c("CP932", kUtf16);
    const char* in = reinterpret_cast<const char*>(text.utf16());
    std::size_t left = static_cast<std::size_t>(text.size()) * 2;
    while (c.ok() && !c.run(&in, &left, out)) {
        // Skip the character that has no CP932 form (both halves of a pair).
        const auto unit = qFromUnaligned<char16_t>(in);
        const std::size_t skip = QChar::isHighSurrogate(unit) && left >= 4 ? 4 : 2;
        out.append('?');
        in += std::min(skip, left);
        left -= std::min(skip, left);
    }
    return out;
}

QString decodeLossy(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QByteArray out;
    Converter c(kUtf16, "CP932");
    const char* in = bytes.data();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (c.ok() && !c.run(&in, &left, out)) {
        const char16_t replacement = QChar::ReplacementCharacter;
        out.append(reinterpret_cast<const char*>(&replacement), 2);
        ++in;
        --left;
    }
    return fromUtf16Bytes(out);
}

} // namespace cp932

QByteArray X11Platform::toAnsi(const QString& text) const { return cp932::encodeLossy(text); }
QString X11Platform::fromAnsi(const QByteArray& bytes) const { return cp932::decodeLossy(bytes); }

} // namespace honura
