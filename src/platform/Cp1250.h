#pragma once
// The one place where program text and Windows-1250 bytes meet. The code page's table is built
// into the program: no text converter of the system is involved.
#include <QByteArray>
#include <QString>

namespace kvor::cp1250 {

// Text to Windows-1250 bytes; a character the code page cannot hold becomes '?'.
QByteArray encode(QStringView text);
// The same into a buffer: at most capacity bytes, the characters that do not fit are left out.
// Returns the number of bytes written.
qsizetype encodeInto(QStringView text, char* out, qsizetype capacity);
// Windows-1250 bytes to text; the bytes the code page leaves undefined (0x81, 0x83, 0x88, 0x90,
// 0x98) become the control characters of the same number and encode back to themselves.
QString decode(QByteArrayView bytes);

} // namespace kvor::cp1250
