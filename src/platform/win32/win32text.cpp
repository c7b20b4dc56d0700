// CP932 through the Windows code page functions.
#include "platform/cp932.h"
#include "platform/win32/win32platform.h"

#include <windows.h>

namespace honura {

namespace cp932 {

namespace {

constexpr UINT kCodePage = 932;

const wchar_t* units(QStringView text) { return reinterpret_cast<const wchar_t*>(text.utf16()); }

} // namespace

std::optional<QByteArray> encode(QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    const int srcLen = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units(text), srcLen, nullptr,
                                      0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, units(text), srcLen, out.data(), n,
                        nullptr, &usedDefault);
    return out;
}

std::optional<QString> decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int srcLen = static_cast<int>(bytes.size());
    const int n =
        MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), srcLen, nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    QString out(n, Qt::Uninitialized);
    MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), srcLen,
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

// The code page functions have replacements of their own (one "?" per UTF-16
// unit, private-use and punctuation characters for bad bytes): the lossy
// conversions go character by character instead, to replace as described.
QByteArray encodeLossy(QStringView text)
{
    if (const std::optional<QByteArray> whole = encode(text))
        return *whole;
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype len = pair ? 2 : 1;
        const std::optional<QByteArray> c = encode(text.sliced(i, len));
        out += c ? *c : QByteArray("?");
        i += len;
    }
    return out;
}

QString decodeLossy(QByteArrayView bytes)
{
    if (const std::optional<QString> whole = decode(bytes))
        return *whole;
    QString out;
    for (qsizetype i = 0; i < bytes.size();) {
        const bool lead = IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(bytes[i])) != FALSE;
        const qsizetype len = lead && i + 1 < bytes.size() ? 2 : 1;
        if (const std::optional<QString> c = decode(bytes.sliced(i, len))) {
            out += *c;
            i += len;
        } else {
            out += QChar(QChar::ReplacementCharacter);
            ++i;
        }
    }
    return out;
}

} // namespace cp932

QByteArray Win32Platform::toAnsi(const QString& text) const { return cp932::encodeLossy(text); }
QString Win32Platform::fromAnsi(const QByteArray& bytes) const { return cp932::decodeLossy(bytes); }

} // namespace honura
