#include "platform/x11/x11platform.h"

namespace honura {

// CP932 conversion: not built yet (settings file work). Latin-1 meanwhile.
QByteArray X11Platform::toAnsi(const QString& text) const { return text.toLatin1(); }
QString X11Platform::fromAnsi(const QByteArray& bytes) const { return QString::fromLatin1(bytes); }

} // namespace honura
