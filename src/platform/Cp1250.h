#pragma once
// The one place where program text and Windows-1250 bytes meet.
#include <QByteArray>
#include <QString>

namespace kvor::cp1250 {

// Text to Windows-1250 bytes; a character the code page cannot hold becomes '?'.
QByteArray encode(QStringView text);
// Windows-1250 bytes to text; bytes the code page leaves undefined become U+FFFD.
QString decode(QByteArrayView bytes);

} // namespace kvor::cp1250
