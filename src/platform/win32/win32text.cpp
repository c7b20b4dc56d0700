#include "platform/win32/win32platform.h"

namespace honura {

// CP932 conversion: not built yet.
QByteArray Win32Platform::toAnsi(const QString& text) const { return text.toLatin1(); }
QString Win32Platform::fromAnsi(const QByteArray& bytes) const { return QString::fromLatin1(bytes); }

} // namespace honura
