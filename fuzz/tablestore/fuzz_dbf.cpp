// Feeds arbitrary bytes to the table store as a dBase file: opening either refuses the file with
// a database error or shows records whose every field can be read, forwards and backwards.
#include "tablestore/DsDbfTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

const QString& folder() {
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

void readAllFields(kvor::TDsDbfTable& t) {
    for (int i = 0; i < t.FieldCount(); ++i) {
        kvor::TField* f = t.Fields(i);
        (void)f->IsNull();
        (void)f->AsString();
    }
}

void scan(bool showDeleted) {
    kvor::TDsDatabase db;
    db.SetDatabaseName(folder());
    kvor::TDsDbfTable t;
    t.SetDatabase(&db);
    t.SetTableName(QStringLiteral("fuzz.dbf"));
    t.SetReadOnly(true);
    t.SetBufferRecords(3);
    t.SetShowDeleted(showDeleted);
    try {
        t.Open();
    } catch (const kvor::EDatabaseError&) {
        return;
    }
    int budget = 5000;
    for (t.First(); !t.Eof() && budget-- > 0; t.Next())
        readAllFields(t);
    for (t.Last(); !t.Bof() && budget-- > 0; t.Prior())
        readAllFields(t);
    (void)t.Locate(t.Fields(0)->FieldName(), QStringLiteral("A*"),
                   kvor::loPartialKey | kvor::loCaseInsensitive);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        QFile f(QDir(folder()).filePath(QStringLiteral("fuzz.dbf")));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    scan(false);
    scan(true);
    return 0;
}
