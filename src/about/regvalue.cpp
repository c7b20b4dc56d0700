#include "about/regvalue.h"

namespace honura::regvalue {

QByteArray textBytes(QByteArrayView data)
{
    const qsizetype nul = data.indexOf('\0');
    return (nul < 0 ? data : data.first(nul)).toByteArray();
}

QString dwordText(QByteArrayView data)
{
    std::uint32_t value = 0;
    const qsizetype n = std::min<qsizetype>(data.size(), 4);
    for (qsizetype i = n - 1; i >= 0; --i) // highest byte first
        value = (value << 8) | static_cast<unsigned char>(data[i]);
    return QString::number(value);
}

} // namespace honura::regvalue
