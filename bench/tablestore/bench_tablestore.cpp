// Timings of the table store against shapelib's DBF functions and against raw file access on the
// same files: a scan of a variety list of 1,000,000 records, appends through the dataset,
// rewriting a table from a memory table, and Pack (as the program uses it, right after Zap, and
// on a table with deleted records). Every figure is the median of several runs, each side
// measured in the same run; every side creates its file inside the timed part.
//
// kvor-bench-tablestore [records] [runs] [cases]   (default 1000000, 5 and every case; the other
// sizes scale with records; cases is a comma-separated choice of scan, append, save, pack)
#include "BenchReport.h"
#include "platform/Cp1250.h"
#include "tablestore/DsDbfTable.h"
#include "tablestore/DsMemTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <shapefil.h>

#include <algorithm>
#include <array>
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
constexpr int kHeaderLength = 32 + 32 * kColumnCount + 1;

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

// The values of the records, made once so that no side pays for building the text.
using Values = std::vector<std::array<QString, kColumnCount>>;

Values makeValues(int records) {
    Values v(static_cast<size_t>(records));
    for (int r = 0; r < records; ++r)
        for (int c = 0; c < kColumnCount; ++c)
            v[size_t(r)][size_t(c)] = value(c, r);
    return v;
}

int recordLength() {
    int n = 1;
    for (const Column& c : kColumns)
        n += c.Width;
    return n;
}

QByteArray rawHeader(int records) {
    const int rec = recordLength();
    QByteArray h(kHeaderLength, '\0');
    h[0] = 0x03;
    h[1] = char(124), h[2] = 1, h[3] = 1;
    std::uint32_t n = std::uint32_t(records);
    std::memcpy(h.data() + 4, &n, 4);
    h[8] = char(kHeaderLength & 0xFF), h[9] = char(kHeaderLength >> 8);
    h[10] = char(rec & 0xFF), h[11] = char(rec >> 8);
    for (int i = 0; i < kColumnCount; ++i) {
        char* d = h.data() + 32 + 32 * i;
        std::memcpy(d, kColumns[i].Name, std::strlen(kColumns[i].Name));
        d[11] = 'C';
        d[16] = char(kColumns[i].Width);
    }
    h[kHeaderLength - 1] = 0x0D;
    return h;
}

// The baseline writer: the header, then the records encoded into one buffer and written in
// blocks of about 1 MB, then the end marker.
void writeRaw(const QString& path, const Values& values, bool deleteEverySecond) {
    const int rec = recordLength();
    const int records = int(values.size());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    f.write(rawHeader(records));
    const int perBlock = std::max(1, (1 << 20) / rec);
    std::vector<char> block(size_t(rec) * size_t(perBlock) + 1);
    int inBlock = 0;
    for (int r = 0; r < records; ++r) {
        char* p = block.data() + size_t(inBlock) * size_t(rec);
        std::memset(p, ' ', size_t(rec));
        if (deleteEverySecond && r % 2 == 1) p[0] = '*';
        int offset = 1;
        for (int c = 0; c < kColumnCount; ++c) {
            cp1250::encodeInto(values[size_t(r)][size_t(c)], p + offset, kColumns[c].Width);
            offset += kColumns[c].Width;
        }
        if (++inBlock == perBlock) {
            f.write(block.data(), qint64(inBlock) * rec);
            inBlock = 0;
        }
    }
    block[size_t(inBlock) * size_t(rec)] = 0x1A;
    f.write(block.data(), qint64(inBlock) * rec + 1);
}

volatile std::size_t g_sink = 0; // keeps the reads from being optimised away

// The baseline reader: the file in blocks of 1 MB, every field of every live record decoded as
// the table store decodes a C field (cut at trailing blanks, Windows-1250 to text).
std::size_t scanRaw(const QString& path) {
    const int rec = recordLength();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    f.seek(kHeaderLength);
    std::vector<char> buf(size_t(rec) * size_t((1 << 20) / rec));
    std::size_t sum = 0;
    for (qint64 got; (got = f.read(buf.data(), qint64(buf.size()))) >= rec;) {
        for (qint64 r = 0; r + rec <= got; r += rec) {
            const char* p = buf.data() + r;
            if (p[0] == '*') continue;
            int offset = 1;
            for (const Column& c : kColumns) {
                int len = c.Width;
                while (len > 0 && p[offset + len - 1] == ' ')
                    --len;
                sum += std::size_t(cp1250::decode(QByteArrayView(p + offset, len)).size());
                offset += c.Width;
            }
        }
        if (got % rec != 0) break;
    }
    return sum;
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

// Runs each side `runs` times, interleaved so that all sides see the same machine, and keeps
// the median of each. A preparation step (copying a fresh input) runs untimed before each.
struct Sides {
    std::function<void()> Prepare, Kvor, Shapelib, Raw;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

Row measure(const QString& name, int runs, const Sides& sides, const QString& note = QString()) {
    std::vector<double> kvor, shp, raw;
    for (int i = 0; i < runs; ++i) {
        for (auto [work, out] :
             {std::pair{&sides.Kvor, &kvor}, {&sides.Shapelib, &shp}, {&sides.Raw, &raw}}) {
            if (!*work) continue;
            if (sides.Prepare) sides.Prepare();
            out->push_back(seconds(*work));
        }
    }
    std::fprintf(stderr, "  %s done\n", qPrintable(name));
    return Row{name, median(kvor), median(shp), median(raw), note};
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

void scanShapelib(const QString& path) {
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
}

DBFHandle createShapelib(const QString& path) {
    DBFHandle h = DBFCreateEx(QFile::encodeName(path).constData(), "LDID/0");
    if (!h) qFatal("shapelib cannot create %s", qPrintable(path));
    for (const Column& c : kColumns)
        DBFAddField(h, c.Name, FTString, c.Width, 0);
    return h;
}

void copyFresh(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to)) qFatal("cannot copy %s", qPrintable(from));
}

void printRows(const QList<Row>& rows, int runs) {
    std::printf("\nmedians of %d runs\n%-58s %10s %10s %10s %10s %10s\n", runs, "case", "kvor [s]", "shp [s]",
                "raw [s]", "kvor/shp", "kvor/raw");
    std::printf("%s\n", QByteArray(113, '-').constData());
    for (const Row& r : rows) {
        // bench/run.sh gathers the cases against their raw anchors into one table.
        const char* anchor = r.Case.startsWith(u"scan") ? "raw read of the same file"
                             : r.Case.contains(u"Pack") ? "raw file access doing the same"
                                                        : "raw write of the same records";
        kvor::bench::reportCase(r.Case.toUtf8().constData(), r.Kvor, anchor, r.Raw);
        std::printf("%-58s %10.3f %10.3f %10.3f %10.2f %10.2f\n", r.Case.toUtf8().constData(), r.Kvor,
                    r.Shapelib, r.Raw, r.Shapelib > 0 ? r.Kvor / r.Shapelib : 0.0, r.Kvor / r.Raw);
        if (!r.Note.isEmpty()) std::printf("    %s\n", r.Note.toUtf8().constData());
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 1000000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const QStringList cases = argc > 3 ? QString::fromLocal8Bit(argv[3]).split(u',', Qt::SkipEmptyParts)
                                       : QStringList{QStringLiteral("scan"), QStringLiteral("append"),
                                                     QStringLiteral("save"), QStringLiteral("pack")};
    auto wanted = [&](const char* name) { return cases.contains(QLatin1String(name)); };
    const int appends = records / 10;
    const int saved = records / 20;
    QTemporaryDir tmp;
    if (!tmp.isValid()) qFatal("no temporary folder");
    const QString dir = tmp.path();
    auto path = [&](const char* name) { return dir + u'/' + QString::fromLatin1(name); };
    QList<Row> rows;

    std::printf("kvor-bench-tablestore: %d records of %d bytes (five C fields), in %s\n", records,
                recordLength(), qPrintable(dir));
    const Values all = makeValues(records);
    const Values appended(all.begin(), all.begin() + appends);
    const Values savedValues(all.begin(), all.begin() + saved);

    // 1. Sequential scan.
    if (wanted("scan")) {
        writeRaw(path("cenik.dbf"), all, false);
        g_sink = g_sink + scanRaw(path("cenik.dbf")); // warm the page cache
    }
    for (int buffer : {10, 1000}) {
        if (!wanted("scan")) break;
        std::uint64_t reads = 0;
        Sides s;
        s.Kvor = [&] { scanKvor(dir, QStringLiteral("cenik.dbf"), buffer, &reads); };
        s.Shapelib = [&] { scanShapelib(path("cenik.dbf")); };
        s.Raw = [&] { g_sink = g_sink + scanRaw(path("cenik.dbf")); };
        Row row =
            measure(QStringLiteral("scan %1 records, BufferRecords %2").arg(records).arg(buffer), runs, s);
        row.Note = QStringLiteral("the table store read the file %1 times").arg(reads);
        rows << row;
    }

    // 2. Appends through the dataset, one Post each, into a table created in the timed part:
    // once reopened, so that every posted record is in the file when Post returns, and once right
    // after CreateTable, where the table takes them in bulk.
    for (bool bulk : {false, true}) {
        if (!wanted("append")) break;
        Sides s;
        s.Kvor = [&] {
            TDsDatabase db;
            db.SetDatabaseName(dir);
            TDsDbfTable t;
            t.SetDatabase(&db);
            t.SetTableName(QStringLiteral("append.dbf"));
            t.SetExclusive(true);
            t.SetFieldDefs(varietyDefs());
            t.CreateTable();
            t.Open();
            if (!bulk) {
                t.Close();
                t.Open();
            }
            TField* fields[kColumnCount];
            for (int c = 0; c < kColumnCount; ++c)
                fields[c] = t.Fields(c);
            for (const auto& row : appended) {
                t.Append();
                for (int c = 0; c < kColumnCount; ++c)
                    fields[c]->SetAsString(row[size_t(c)]);
                t.Post();
            }
            t.Close();
        };
        s.Shapelib = [&] {
            DBFHandle h = createShapelib(path("append_shp.dbf"));
            for (int r = 0; r < appends; ++r)
                for (int c = 0; c < kColumnCount; ++c)
                    DBFWriteStringAttribute(h, r, c,
                                            cp1250::encode(appended[size_t(r)][size_t(c)]).constData());
            DBFClose(h);
        };
        s.Raw = [&] { writeRaw(path("append_raw.dbf"), appended, false); };
        rows << measure(bulk ? QStringLiteral("%1 appends right after CreateTable (bulk)").arg(appends)
                             : QStringLiteral("%1 appends through the dataset").arg(appends),
                        runs, s,
                        bulk ? QString()
                             : QStringLiteral("CreateTable included; each Post leaves the record and the "
                                              "header's count in the file (through a mapping of it); "
                                              "shapelib writes its header once at close; raw writes "
                                              "one stream"));
    }

    // 3. Rewriting a table from a memory table: CreateTable, then SaveRecords.
    if (wanted("save")) {
        TDsMemTable mem;
        mem.SetFieldDefs(varietyDefs());
        mem.Open();
        for (const auto& row : savedValues) {
            mem.Append();
            for (int c = 0; c < kColumnCount; ++c)
                mem.Fields(c)->SetAsString(row[size_t(c)]);
            mem.Post();
        }
        Sides s;
        s.Kvor = [&] {
            TDsDatabase db;
            db.SetDatabaseName(dir);
            TDsDbfTable t;
            t.SetDatabase(&db);
            t.SetTableName(QStringLiteral("saved.dbf"));
            t.SetFieldDefs(mem.FieldDefs());
            t.SetExclusive(true);
            t.CreateTable();
            mem.SaveRecords(t, 0);
            t.Close();
        };
        s.Shapelib = [&] {
            DBFHandle h = createShapelib(path("saved_shp.dbf"));
            int r = 0;
            for (mem.First(); !mem.Eof(); mem.Next(), ++r)
                for (int c = 0; c < kColumnCount; ++c)
                    DBFWriteStringAttribute(h, r, c, cp1250::encode(mem.Fields(c)->AsString()).constData());
            DBFClose(h);
        };
        s.Raw = [&] { writeRaw(path("saved_raw.dbf"), savedValues, false); };
        rows << measure(QStringLiteral("CreateTable + SaveRecords of %1 records").arg(saved), runs, s);
    }

    // 4. Pack: right after Zap, as the program empties a table, and with every second record deleted.
    if (wanted("pack")) writeRaw(path("pack_input.dbf"), all, true);
    auto kvorTable = [&](const char* name, const std::function<void(TDsDbfTable&)>& work) {
        TDsDatabase db;
        db.SetDatabaseName(dir);
        TDsDbfTable t;
        t.SetDatabase(&db);
        t.SetTableName(QString::fromLatin1(name));
        t.SetExclusive(true);
        t.SetBufferRecords(1000);
        t.Open();
        work(t);
        t.Close();
    };
    if (wanted("pack")) {
        Sides s;
        s.Prepare = [&] {
            copyFresh(path("pack_input.dbf"), path("zap.dbf"));
            copyFresh(path("pack_input.dbf"), path("zap_shp.dbf"));
            copyFresh(path("pack_input.dbf"), path("zap_raw.dbf"));
        };
        s.Kvor = [&] {
            kvorTable("zap.dbf", [](TDsDbfTable& t) {
                t.Zap();
                t.Pack();
            });
        };
        // shapelib cannot empty a file in place: an empty clone stands for it.
        s.Shapelib = [&] {
            DBFHandle in = DBFOpen(QFile::encodeName(path("zap_shp.dbf")).constData(), "rb");
            DBFHandle out = DBFCloneEmpty(in, QFile::encodeName(path("zapped_shp.dbf")).constData());
            DBFClose(out);
            DBFClose(in);
        };
        s.Raw = [&] {
            QFile f(path("zap_raw.dbf"));
            if (!f.open(QIODevice::ReadWrite)) qFatal("cannot open zap_raw.dbf");
            f.resize(kHeaderLength);
            f.seek(0);
            f.write(rawHeader(0));
        };
        rows << measure(
            QStringLiteral("Zap + Pack of %1 records (as the program empties)").arg(records), runs, s,
            QStringLiteral("raw cuts the file and writes the header; shapelib makes an empty clone"));
    }
    if (wanted("pack")) {
        Sides s;
        s.Prepare = [&] {
            copyFresh(path("pack_input.dbf"), path("pack.dbf"));
            copyFresh(path("pack_input.dbf"), path("pack_shp.dbf"));
            copyFresh(path("pack_input.dbf"), path("pack_raw.dbf"));
        };
        s.Kvor = [&] { kvorTable("pack.dbf", [](TDsDbfTable& t) { t.Pack(); }); };
        // shapelib has no pack: copy the live records into a clone, as its users do.
        s.Shapelib = [&] {
            DBFHandle in = DBFOpen(QFile::encodeName(path("pack_shp.dbf")).constData(), "rb");
            DBFHandle out = DBFCloneEmpty(in, QFile::encodeName(path("packed_shp.dbf")).constData());
            int n = DBFGetRecordCount(in), w = 0;
            for (int r = 0; r < n; ++r)
                if (!DBFIsRecordDeleted(in, r))
                    DBFWriteTuple(out, w++, const_cast<char*>(DBFReadTuple(in, r)));
            DBFClose(out);
            DBFClose(in);
        };
        s.Raw = [&] {
            QFile f(path("pack_raw.dbf"));
            if (!f.open(QIODevice::ReadWrite)) qFatal("cannot open pack_raw.dbf");
            const int rec = recordLength();
            std::vector<char> buf(size_t(rec) * 1000);
            qint64 readPos = kHeaderLength, writePos = kHeaderLength, kept = 0;
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
                kept += live;
            }
            f.resize(writePos);
            f.seek(0);
            f.write(rawHeader(int(kept)));
        };
        rows << measure(
            QStringLiteral("Pack of %1 records, every second deleted").arg(records), runs, s,
            QStringLiteral("BufferRecords 1000; shapelib copies the live records into a new file"));
    }

    printRows(rows, runs);
    return 0;
}
