// Timings of the table store against shapelib's DBF functions and against raw sequential file
// access on the same files: a scan of a variety list of 1,000,000 records, appends through the
// dataset, rewriting a table from a memory table, and Pack.
//
// kvor-bench-tablestore [records]   (default 1000000; the other sizes scale with it)
#include "platform/Cp1250.h"
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <shapefil.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

using namespace kvor;

namespace {

// The five C fields of the variety list.
struct Column {
    const char* Name;
    int Width;
};
const Column kColumns[] = {
    {"naz_odru", 40}, {"naz_dru", 40}, {"odruda", 10}, {"druh", 5}, {"nazevosiva", 81}};
constexpr int kColumnCount = 5;

TFieldDefs varietyDefs() {
    TFieldDefs defs;
    for (const Column& c : kColumns)
        defs << TFieldDef{QString::fromLatin1(c.Name), ftString, c.Width};
    return defs;
}

QString value(int column, int row) {
    switch (column) {
    case 0:
        return QStringLiteral("Odrůda %1").arg(row);
    case 1:
        return QStringLiteral("Pšenice ozimá");
    case 2:
        return QString::number(100000 + row % 900000);
    case 3:
        return QString::number(row % 97);
    default:
        return QStringLiteral("Pšenice ozimá Odrůda %1").arg(row);
    }
}

int recordLength() {
    int n = 1;
    for (const Column& c : kColumns)
        n += c.Width;
    return n;
}

// Writes the table the fast way: header and descriptors, then the records in one stream.
void writeRaw(const QString& path, int records, bool deleteEverySecond) {
    const int rec = recordLength();
    const int header = 32 + 32 * kColumnCount + 1;
    QByteArray h(header, '\0');
    h[0] = 0x03;
    h[1] = char(124), h[2] = 1, h[3] = 1;
    std::uint32_t n = std::uint32_t(records);
    std::memcpy(h.data() + 4, &n, 4);
    h[8] = char(header & 0xFF), h[9] = char(header >> 8);
    h[10] = char(rec & 0xFF), h[11] = char(rec >> 8);
    for (int i = 0; i < kColumnCount; ++i) {
        char* d = h.data() + 32 + 32 * i;
        std::memcpy(d, kColumns[i].Name, std::strlen(kColumns[i].Name));
        d[11] = 'C';
        d[16] = char(kColumns[i].Width);
    }
    h[header - 1] = 0x0D;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    f.write(h);
    QByteArray block;
    const int perBlock = 4096;
    block.reserve(rec * perBlock);
    for (int r = 0; r < records; ++r) {
        block += (deleteEverySecond && r % 2 == 1) ? '*' : ' ';
        for (int c = 0; c < kColumnCount; ++c)
            block += cp1250::encode(value(c, r)).leftJustified(kColumns[c].Width, ' ', true);
        if ((r + 1) % perBlock == 0) {
            f.write(block);
            block.clear();
        }
    }
    block += char(0x1A);
    f.write(block);
}

double seconds(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e9;
}

struct Row {
    QString Case;
    double Kvor, Shapelib, Raw;
    QString Note;
};

volatile std::size_t g_sink = 0; // keeps the reads from being optimised away

std::size_t scanRaw(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    std::vector<char> buf(1 << 20);
    std::size_t sum = 0;
    for (qint64 got; (got = f.read(buf.data(), qint64(buf.size()))) > 0;)
        for (qint64 i = 0; i < got; i += 64)
            sum += std::uint8_t(buf[size_t(i)]);
    return sum;
}

double scanKvor(const QString& dir, const QString& table, int bufferRecords, std::uint64_t* reads) {
    TDsDatabase db;
    db.SetDatabaseName(dir);
    TDsDbfTable t;
    t.SetDatabase(&db);
    t.SetTableName(table);
    t.SetReadOnly(true);
    t.SetBufferRecords(bufferRecords);
    return seconds([&] {
        t.Open();
        TField* fields[kColumnCount];
        for (int c = 0; c < kColumnCount; ++c)
            fields[c] = t.Fields(c);
        std::size_t sum = 0;
        for (t.First(); !t.Eof(); t.Next())
            for (TField* f : fields)
                sum += std::size_t(f->AsString().size());
        g_sink = g_sink + sum;
        *reads = t.FileReads();
        t.Close();
    });
}

double scanShapelib(const QString& path) {
    return seconds([&] {
        DBFHandle h = DBFOpen(QFile::encodeName(path).constData(), "rb");
        if (!h) qFatal("shapelib cannot open %s", qPrintable(path));
        int n = DBFGetRecordCount(h);
        std::size_t sum = 0;
        for (int r = 0; r < n; ++r) {
            if (DBFIsRecordDeleted(h, r)) continue;
            for (int c = 0; c < kColumnCount; ++c) {
                // The same work as the table store: the field's text decoded from Windows-1250.
                const char* s = DBFReadStringAttribute(h, r, c);
                sum += std::size_t(cp1250::decode(QByteArrayView(s, qsizetype(std::strlen(s)))).size());
            }
        }
        g_sink = g_sink + sum;
        DBFClose(h);
    });
}

DBFHandle createShapelib(const QString& path) {
    DBFHandle h = DBFCreateEx(QFile::encodeName(path).constData(), "LDID/0");
    if (!h) qFatal("shapelib cannot create %s", qPrintable(path));
    for (const Column& c : kColumns)
        DBFAddField(h, c.Name, FTString, c.Width, 0);
    return h;
}

void printRows(const QList<Row>& rows) {
    std::printf("\n%-58s %10s %10s %10s %10s %10s\n", "case", "kvor [s]", "shp [s]", "raw [s]", "kvor/shp",
                "kvor/raw");
    std::printf("%s\n", QByteArray(113, '-').constData());
    for (const Row& r : rows) {
        std::printf("%-58s %10.3f %10.3f %10.3f %10.2f %10.2f\n", r.Case.toUtf8().constData(), r.Kvor,
                    r.Shapelib, r.Raw, r.Kvor / r.Shapelib, r.Kvor / r.Raw);
        if (!r.Note.isEmpty()) std::printf("    %s\n", r.Note.toUtf8().constData());
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 1000000;
    const int appends = records / 10;
    const int saved = records / 20;
    QTemporaryDir tmp;
    if (!tmp.isValid()) qFatal("no temporary folder");
    const QString dir = tmp.path();
    auto path = [&](const char* name) { return dir + u'/' + QString::fromLatin1(name); };
    QList<Row> rows;

    std::printf("kvor-bench-tablestore: %d records of %d bytes (five C fields), in %s\n", records,
                recordLength(), qPrintable(dir));

    // 1. Sequential scan.
    writeRaw(path("cenik.dbf"), records, false);
    for (int buffer : {10, 1000}) {
        scanRaw(path("cenik.dbf")); // warm the page cache
        std::uint64_t reads = 0;
        double kvor = scanKvor(dir, QStringLiteral("cenik.dbf"), buffer, &reads);
        double shp = scanShapelib(path("cenik.dbf"));
        double raw = seconds([&] { g_sink = g_sink + scanRaw(path("cenik.dbf")); });
        rows << Row{QStringLiteral("scan %1 records, BufferRecords %2").arg(records).arg(buffer), kvor, shp,
                    raw, QStringLiteral("the table store read the file %1 times").arg(reads)};
    }

    // 2. Appends through the dataset, one Post (record, header, end marker) each.
    {
        TDsDatabase db;
        db.SetDatabaseName(dir);
        TDsDbfTable t;
        t.SetDatabase(&db);
        t.SetTableName(QStringLiteral("append.dbf"));
        t.SetExclusive(true);
        t.SetFieldDefs(varietyDefs());
        t.CreateTable();
        std::vector<QString> values[kColumnCount];
        for (int c = 0; c < kColumnCount; ++c)
            for (int r = 0; r < appends; ++r)
                values[c].push_back(value(c, r));
        double kvor = seconds([&] {
            t.Open();
            TField* fields[kColumnCount];
            for (int c = 0; c < kColumnCount; ++c)
                fields[c] = t.Fields(c);
            for (int r = 0; r < appends; ++r) {
                t.Append();
                for (int c = 0; c < kColumnCount; ++c)
                    fields[c]->SetAsString(values[c][size_t(r)]);
                t.Post();
            }
            t.Close();
        });
        double shp = seconds([&] {
            DBFHandle h = createShapelib(path("append_shp.dbf"));
            for (int r = 0; r < appends; ++r)
                for (int c = 0; c < kColumnCount; ++c)
                    DBFWriteStringAttribute(h, r, c, cp1250::encode(values[c][size_t(r)]).constData());
            DBFClose(h);
        });
        double raw = seconds([&] { writeRaw(path("append_raw.dbf"), appends, false); });
        rows << Row{QStringLiteral("%1 appends through the dataset").arg(appends), kvor, shp, raw,
                    QStringLiteral("shapelib writes its header once at close; raw writes one stream")};
    }

    // 3. Rewriting a table from a memory table: CreateTable, then SaveRecords.
    {
        TDsDatabase db;
        db.SetDatabaseName(dir);
        TDsMemTable mem;
        mem.SetFieldDefs(varietyDefs());
        mem.Open();
        for (int r = 0; r < saved; ++r) {
            mem.Append();
            for (int c = 0; c < kColumnCount; ++c)
                mem.Fields(c)->SetAsString(value(c, r));
            mem.Post();
        }
        TDsDbfTable t;
        t.SetDatabase(&db);
        t.SetTableName(QStringLiteral("saved.dbf"));
        double kvor = seconds([&] {
            t.SetFieldDefs(mem.FieldDefs());
            t.SetExclusive(true);
            t.CreateTable();
            mem.SaveRecords(t, 0);
            t.Close();
        });
        double shp = seconds([&] {
            DBFHandle h = createShapelib(path("saved_shp.dbf"));
            int r = 0;
            for (mem.First(); !mem.Eof(); mem.Next(), ++r)
                for (int c = 0; c < kColumnCount; ++c)
                    DBFWriteStringAttribute(h, r, c, cp1250::encode(mem.Fields(c)->AsString()).constData());
            DBFClose(h);
        });
        double raw = seconds([&] { writeRaw(path("saved_raw.dbf"), saved, false); });
        rows << Row{QStringLiteral("CreateTable + SaveRecords of %1 records").arg(saved), kvor, shp, raw,
                    QString()};
    }

    // 4. Pack with every second record deleted.
    {
        writeRaw(path("pack.dbf"), records, true);
        QFile::copy(path("pack.dbf"), path("pack_shp.dbf"));
        QFile::copy(path("pack.dbf"), path("pack_raw.dbf"));
        scanRaw(path("pack.dbf"));
        TDsDatabase db;
        db.SetDatabaseName(dir);
        TDsDbfTable t;
        t.SetDatabase(&db);
        t.SetTableName(QStringLiteral("pack.dbf"));
        t.SetExclusive(true);
        t.SetBufferRecords(1000);
        double kvor = seconds([&] {
            t.Open();
            t.Pack();
            t.Close();
        });
        // shapelib has no pack: copy the live records into a clone, as its users do.
        double shp = seconds([&] {
            DBFHandle in = DBFOpen(QFile::encodeName(path("pack_shp.dbf")).constData(), "rb");
            DBFHandle out = DBFCloneEmpty(in, QFile::encodeName(path("packed_shp.dbf")).constData());
            int n = DBFGetRecordCount(in), w = 0;
            for (int r = 0; r < n; ++r)
                if (!DBFIsRecordDeleted(in, r))
                    DBFWriteTuple(out, w++, const_cast<char*>(DBFReadTuple(in, r)));
            DBFClose(out);
            DBFClose(in);
        });
        double raw = seconds([&] {
            QFile f(path("pack_raw.dbf"));
            if (!f.open(QIODevice::ReadWrite)) qFatal("cannot open pack_raw.dbf");
            const int rec = recordLength(), header = 32 + 32 * kColumnCount + 1;
            std::vector<char> buf(size_t(rec) * 1000);
            qint64 readPos = header, writePos = header;
            for (;;) {
                f.seek(readPos);
                qint64 got = f.read(buf.data(), qint64(buf.size())) / rec;
                if (got <= 0) break;
                readPos += got * rec;
                qint64 live = 0;
                for (qint64 i = 0; i < got; ++i)
                    if (buf[size_t(i * rec)] != '*')
                        std::memmove(&buf[size_t(live++ * rec)], &buf[size_t(i * rec)], size_t(rec));
                f.seek(writePos);
                f.write(buf.data(), live * rec);
                writePos += live * rec;
            }
            f.resize(writePos);
        });
        rows << Row{QStringLiteral("Pack of %1 records, every second deleted").arg(records), kvor, shp, raw,
                    QStringLiteral("BufferRecords 1000; shapelib copies the live records into a new file")};
    }

    printRows(rows);
    return 0;
}
