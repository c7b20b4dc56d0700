#pragma once
// Conversion between Unicode text and CP932, the code page of the settings file.
// One implementation per system: glibc iconv elsewhere, the Windows code page
// functions on Windows.

#include <QByteArray>
#include <QString>
#include <optional>

namespace honura::cp932 {

// Exact conversions: nothing when a character has no CP932 form, or the bytes
// are not valid CP932.
std::optional<QByteArray> encode(QStringView text);
std::optional<QString> decode(QByteArrayView bytes);

// Conversions that never fail: "?" for a character without a CP932 form,
// U+FFFD for each byte that starts no valid character.
QByteArray encodeLossy(QStringView text);
QString decodeLossy(QByteArrayView bytes);

} // namespace honura::cp932
