#pragma once
// Decoding of registry value data as the system-information launcher reads it.
// Pure functions: bytes in, bytes or text out, no registry and no widget.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace honura::regvalue {

// The read buffer of one lookup, in bytes. A value whose data does not fit is
// treated as missing.
inline constexpr std::uint32_t kBufferSize = 1024;

// The text bytes of a value's data: the data up to its terminating NUL, or all
// of it when there is none. Still in the ANSI code page.
QByteArray textBytes(QByteArrayView data);

// The text of a 32-bit number value (little-endian, as the system stores it):
// its unsigned decimal digits. Data shorter than four bytes is read as far as
// it goes.
QString dwordText(QByteArrayView data);

} // namespace honura::regvalue
