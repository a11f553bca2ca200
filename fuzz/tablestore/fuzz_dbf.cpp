// Feeds arbitrary bytes to the table store as a dBase file: opening either refuses the file with
// a database error or shows records whose every field can be read, and the table can then be
// appended to, edited, deleted from, packed and emptied without a fault.
#include "ExerciseTable.h"
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstddef>
#include <cstdint>

namespace {

const QString& folder() {
    static const QString path = QFileInfo(kvor::fuzzing::scratchPath(QStringLiteral("fuzz.dbf"))).path();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        QFile f(QDir(folder()).filePath(QStringLiteral("fuzz.dbf")));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    kvor::fuzzing::exerciseTable(folder(), QStringLiteral("fuzz.dbf"));
    return 0;
}
