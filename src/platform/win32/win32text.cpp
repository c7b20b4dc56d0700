// CP932 through the Windows code page functions.
#include "platform/cp932.h"
#include "platform/win32/win32platform.h"

#include <windows.h>

namespace honura {

namespace cp932 {

namespace {

constexpr UINT kCodePage = 932;

std::optional<QByteArray> toBytes(QStringView text, bool exact)
{
    if (text.isEmpty())
        return QByteArray();
    const auto* src = reinterpret_cast<const wchar_t*>(text.utf16());
    const int srcLen = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = exact ? &usedDefault : nullptr;
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    const int n =
        WideCharToMultiByte(kCodePage, flags, src, srcLen, nullptr, 0, "?", usedDefaultOut);
    if (n <= 0)
        return exact ? std::nullopt : std::optional<QByteArray>(QByteArray());
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(kCodePage, flags, src, srcLen, out.data(), n, "?", usedDefaultOut);
    if (exact && usedDefault)
        return std::nullopt;
    return out;
}

std::optional<QString> toText(QByteArrayView bytes, bool exact)
{
    if (bytes.isEmpty())
        return QString();
    const DWORD flags = exact ? MB_ERR_INVALID_CHARS : 0;
    const int srcLen = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(kCodePage, flags, bytes.data(), srcLen, nullptr, 0);
    if (n <= 0)
        return exact ? std::nullopt : std::optional<QString>(QString());
    QString out(n, Qt::Uninitialized);
    MultiByteToWideChar(kCodePage, flags, bytes.data(), srcLen,
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

} // namespace

std::optional<QByteArray> encode(QStringView text) { return toBytes(text, true); }
std::optional<QString> decode(QByteArrayView bytes) { return toText(bytes, true); }
QByteArray encodeLossy(QStringView text) { return *toBytes(text, false); }
QString decodeLossy(QByteArrayView bytes) { return *toText(bytes, false); }

} // namespace cp932

QByteArray Win32Platform::toAnsi(const QString& text) const { return cp932::encodeLossy(text); }
QString Win32Platform::fromAnsi(const QByteArray& bytes) const { return cp932::decodeLossy(bytes); }

} // namespace honura
