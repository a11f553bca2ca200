// The dBase file as bytes: what creation, appends, Zap and Pack leave in the file, how values are
// encoded, which files are refused, and the locks that stand in for sharing modes.
#include "tst_dbf_util.h"

#include "platform/Cp1250.h"
#include "tablestore/DsCP.h"
#include "tablestore/DsDbfApi.h"
#include "tablestore/DsDbfTable.h"

#include <QDate>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <sys/wait.h>
#include <unistd.h>

using namespace kvor;
using dbftest::Field;
using dbftest::Layout;

Q_DECLARE_METATYPE(kvor::TFieldType)
Q_DECLARE_METATYPE(kvor::CP_TYPE)
Q_DECLARE_METATYPE(kvor::TFieldDefs)

class TestDbfFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A table with NOMENKLA (C 12) and NC (N 19 4) and the given records of two values.
    QString makeNomenkla(const QString& name, const QList<QList<QByteArray>>& rows,
                         const QList<int>& deleted = {}) {
        Layout l;
        l.Fields = {{"NOMENKLA", 'C', 12}, {"NC", 'N', 19, 4}};
        for (int i = 0; i < rows.size(); ++i)
            l.Records << dbftest::record(l, {rows[i][0], rows[i][1].rightJustified(19)},
                                         deleted.contains(i + 1) ? '*' : ' ');
        QString p = path(name);
        dbftest::write(p, dbftest::build(l));
        return p;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void createdTableLayout() {
        TDsDatabase db;
        db.SetDatabaseName(m_dir.path());
        TDsDbfTable t;
        t.SetName(QStringLiteral("DsDbfTable1"));
        t.SetDatabase(&db);
        t.SetTableName(QStringLiteral("cenik.dbf"));
        t.SetFieldDefs({{QStringLiteral("NOMENKLA"), ftString, 12}, {QStringLiteral("NC"), ftFloat}});
        t.CreateTable();

        QByteArray b = dbftest::read(path(QStringLiteral("cenik.dbf")));
        QCOMPARE(b.size(), 98);
        QCOMPARE(std::uint8_t(b[0]), std::uint8_t(0x03));
        QDate today = QDate::currentDate();
        QCOMPARE(int(std::uint8_t(b[1])), today.year() - 1900);
        QCOMPARE(int(b[2]), today.month());
        QCOMPARE(int(b[3]), today.day());
        QCOMPARE(dbftest::getU32(b, 4), 0u);
        QCOMPARE(dbftest::getU16(b, 8), 97);
        QCOMPARE(dbftest::getU16(b, 10), 32);
        QCOMPARE(int(b[29]), 0);
        QCOMPARE(b.mid(32, 11), QByteArray("NOMENKLA\0\0\0", 11));
        QCOMPARE(b[43], 'C');
        QCOMPARE(int(b[48]), 12);
        QCOMPARE(int(b[49]), 0);
        QCOMPARE(b.mid(64, 11), QByteArray("NC\0\0\0\0\0\0\0\0\0", 11));
        QCOMPARE(b[75], 'N');
        QCOMPARE(int(b[80]), 19);
        QCOMPARE(int(b[81]), 4);
        QCOMPARE(b[96], char(0x0D));
        QCOMPARE(b[97], char(0x1A));
        // Everything not named above is zero.
        for (int i : {12, 13, 14, 15, 16, 28, 30, 31})
            QCOMPARE(int(b[i]), 0);
    }

    void descriptorsForTypes_data() {
        QTest::addColumn<TFieldType>("type");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("descriptor"); // letter, length, decimals; or the refusal code
        QTest::newRow("string") << ftString << 28 << 0 << "C 28 0";
        QTest::newRow("wide string") << ftWideString << 5 << 0 << "C 5 0";
        QTest::newRow("string 255") << ftString << 255 << 0 << "C 255 0";
        QTest::newRow("string 256 refused") << ftString << 256 << 0 << "56";
        QTest::newRow("string 0 refused") << ftString << 0 << 0 << "56";
        QTest::newRow("smallint") << ftSmallint << 0 << 0 << "N 6 0";
        QTest::newRow("word") << ftWord << 0 << 0 << "N 6 0";
        QTest::newRow("integer") << ftInteger << 0 << 0 << "N 11 0";
        QTest::newRow("autoinc") << ftAutoInc << 0 << 0 << "N 11 0";
        QTest::newRow("boolean") << ftBoolean << 0 << 0 << "L 1 0";
        QTest::newRow("float") << ftFloat << 8 << 3 << "N 19 4";
        QTest::newRow("currency") << ftCurrency << 0 << 0 << "N 19 4";
        QTest::newRow("bcd 10.2") << ftBCD << 2 << 10 << "N 10 2";
        QTest::newRow("bcd 20.18") << ftBCD << 18 << 20 << "N 20 18";
        QTest::newRow("bcd 1.0") << ftBCD << 0 << 1 << "N 1 0";
        QTest::newRow("bcd 3.2 too narrow") << ftBCD << 2 << 3 << "N 20 4";
        QTest::newRow("bcd 21.2 too wide") << ftBCD << 2 << 21 << "N 20 4";
        QTest::newRow("bcd 32.4 as read from a file") << ftBCD << 4 << 32 << "N 20 4";
        QTest::newRow("date") << ftDate << 0 << 0 << "D 8 0";
        QTest::newRow("time") << ftTime << 0 << 0 << "C 11 0";
        QTest::newRow("datetime") << ftDateTime << 0 << 0 << "C 30 0";
        QTest::newRow("memo") << ftMemo << 0 << 0 << "M 10 0";
        QTest::newRow("blob") << ftBlob << 0 << 0 << "M 10 0";
        QTest::newRow("largeint refused") << ftLargeint << 0 << 0 << "54";
        QTest::newRow("fixedchar refused") << ftFixedChar << 10 << 0 << "54";
        QTest::newRow("bytes refused") << ftBytes << 10 << 0 << "54";
    }

    void descriptorsForTypes() {
        QFETCH(TFieldType, type);
        QFETCH(int, size);
        QFETCH(int, precision);
        QFETCH(QString, descriptor);
        TFieldDefs defs{{QStringLiteral("X"), type, size, precision}};
        QList<TDbfField> fields;
        int code = dbfDescriptorsFor(defs, fields);
        if (descriptor.size() <= 2) {
            QCOMPARE(code, descriptor.toInt());
            return;
        }
        QCOMPARE(code, int(DS_OK));
        QCOMPARE(fields.size(), 1);
        QCOMPARE(QStringLiteral("%1 %2 %3")
                     .arg(QChar(fields[0].Type))
                     .arg(fields[0].Length)
                     .arg(fields[0].Decimals),
                 descriptor);
    }

    void memoTableCarriesLanguageDriver() {
        QString p = path(QStringLiteral("memo.dbf"));
        QCOMPARE(TDbfFile::Create(p, ascii_ANSI,
                                  {{QStringLiteral("POZN"), ftMemo}, {QStringLiteral("A"), ftString, 3}}),
                 int(DS_OK));
        QByteArray b = dbftest::read(p);
        QCOMPARE(std::uint8_t(b[0]), std::uint8_t(0x8B));
        QCOMPARE(std::uint8_t(b[29]), std::uint8_t(0x57));
        QCOMPARE(TDbfFile::Create(p, FoxPro_Czech_1250, {{QStringLiteral("POZN"), ftMemo}}), int(DS_OK));
        QCOMPARE(std::uint8_t(dbftest::read(p)[29]), std::uint8_t(0x9B));
    }

    void hiddenDefinitionsAndLongNames() {
        QString p = path(QStringLiteral("names.dbf"));
        TFieldDef hidden{QStringLiteral("SKRYTE"), ftString, 4};
        hidden.Hidden = true;
        QCOMPARE(TDbfFile::Create(p, ascii_ANSI,
                                  {{QStringLiteral("PARTIECELAX1"), ftString, 4},
                                   hidden,
                                   {QStringLiteral("id_trivan"), ftString, 2}}),
                 int(DS_OK));
        QByteArray b = dbftest::read(p);
        QCOMPARE(dbftest::getU16(b, 8), 32 + 64 + 1);
        QCOMPARE(b.mid(32, 11), QByteArray("PARTIECELA\0", 11));
        QCOMPARE(b.mid(64, 10), QByteArray("id_trivan\0", 10));
    }

    // A refused definition must be found before the file is touched.
    void refusedCreationKeepsExistingFile_data() {
        QTest::addColumn<TFieldDefs>("defs");
        QTest::addColumn<QString>("message");
        QTest::newRow("largeint") << TFieldDefs{{QStringLiteral("A"), ftString, 3},
                                                {QStringLiteral("B"), ftLargeint}}
                                  << "DsDbfTable1: Invalid field type";
        QTest::newRow("bytes") << TFieldDefs{{QStringLiteral("B"), ftBytes, 4}}
                               << "DsDbfTable1: Invalid field type";
        QTest::newRow("string 300") << TFieldDefs{{QStringLiteral("A"), ftString, 300}}
                                    << "DsDbfTable1: Invalid field size";
    }

    void refusedCreationKeepsExistingFile() {
        QFETCH(TFieldDefs, defs);
        QFETCH(QString, message);
        QString p = makeNomenkla(QStringLiteral("keep.dbf"), {{"PSENICE", "12.5000"}});
        QByteArray before = dbftest::read(p);
        TDsDatabase db;
        db.SetDatabaseName(m_dir.path());
        TDsDbfTable t;
        t.SetName(QStringLiteral("DsDbfTable1"));
        t.SetDatabase(&db);
        t.SetTableName(QStringLiteral("keep.dbf"));
        t.SetFieldDefs(defs);
        try {
            t.CreateTable();
            QFAIL("created");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(dbftest::read(p), before);
        // and no file appears where there was none
        t.SetTableName(QStringLiteral("never.dbf"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, t.CreateTable());
        QVERIFY(!QFile::exists(path(QStringLiteral("never.dbf"))));
    }

    // A shared table writes each record; an exclusive one puts it into a mapping of the file and
    // reserves room after the end marker while it is open, which Close cuts off again.
    void appendWritesRecordHeaderAndEof_data() {
        QTest::addColumn<bool>("exclusive");
        QTest::newRow("shared") << false;
        QTest::newRow("exclusive") << true;
    }

    void appendWritesRecordHeaderAndEof() {
        QFETCH(bool, exclusive);
        QString p = path(QStringLiteral("append.dbf"));
        QCOMPARE(
            TDbfFile::Create(p, ascii_ANSI,
                             {{QStringLiteral("NOMENKLA"), ftString, 12}, {QStringLiteral("NC"), ftFloat}}),
            int(DS_OK));
        QByteArray before = dbftest::read(p);
        TDbfFile f;
        QCOMPARE(f.Open(p, false, exclusive, 10, ascii_ANSI), int(DS_OK));
        QByteArray rec(f.RecordLength(), ' ');
        f.WriteField(rec.data(), 0, QStringLiteral("PSENICE"));
        f.WriteField(rec.data(), 1, 12.5);
        std::uint32_t n = 0;
        QCOMPARE(f.AppendRecord(rec.constData(), n), int(DS_OK));
        QCOMPARE(n, 1u);
        QByteArray b = dbftest::read(p);
        if (exclusive)
            QVERIFY(b.size() >= 130);
        else
            QCOMPARE(b.size(), 130);
        QCOMPARE(dbftest::getU32(b, 4), 1u);
        QCOMPARE(b.mid(97, 32), QByteArray(" PSENICE     ") + QByteArray(12, ' ') + "12.5000");
        QCOMPARE(b[129], char(0x1A));
        QCOMPARE(b.mid(1, 3), before.mid(1, 3)); // the creation date stays
        QCOMPARE(f.AppendRecord(rec.constData(), n), int(DS_OK));
        b = dbftest::read(p);
        QCOMPARE(dbftest::getU32(b, 4), 2u);
        QCOMPARE(b.mid(129, 32), b.mid(97, 32));
        QCOMPARE(b[161], char(0x1A));
        f.Close();
        QCOMPARE(dbftest::read(p), b.left(162));
    }

    void fieldEncoding_data() {
        QTest::addColumn<QByteArray>("descriptor"); // letter, length, decimals
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QVariant>("readBack");
        QTest::newRow("N 12.5") << QByteArray("N19.4") << QVariant(12.5) << QByteArray(12, ' ') + "12.5000"
                                << QVariant(12.5);
        QTest::newRow("N null") << QByteArray("N19.4") << QVariant() << QByteArray(19, ' ') << QVariant();
        QTest::newRow("N negative") << QByteArray("N8.2") << QVariant(-3.25) << QByteArray("   -3.25")
                                    << QVariant(-3.25);
        QTest::newRow("N rounds") << QByteArray("N6.2") << QVariant(2.345678) << QByteArray("  2.35")
                                  << QVariant(2.35);
        QTest::newRow("N negative rounding to zero")
            << QByteArray("N5.2") << QVariant(-0.001) << QByteArray(" 0.00") << QVariant(0.0);
        QTest::newRow("N no decimals")
            << QByteArray("N11.0") << QVariant(42.0) << QByteArray("         42") << QVariant(42.0);
        QTest::newRow("N exactly fits")
            << QByteArray("N5.0") << QVariant(-9999.0) << QByteArray("-9999") << QVariant(-9999.0);
        QTest::newRow("D") << QByteArray("D8.0") << QVariant(QDate(2012, 3, 15)) << QByteArray("20120315")
                           << QVariant(QDate(2012, 3, 15));
        QTest::newRow("D year 1") << QByteArray("D8.0") << QVariant(QDate(1, 2, 3)) << QByteArray("00010203")
                                  << QVariant(QDate(1, 2, 3));
        QTest::newRow("L true") << QByteArray("L1.0") << QVariant(true) << QByteArray("T") << QVariant(true);
        QTest::newRow("L false") << QByteArray("L1.0") << QVariant(false) << QByteArray("F")
                                 << QVariant(false);
        QTest::newRow("I 1") << QByteArray("I4.0") << QVariant(1) << QByteArray("\x80\0\0\x01", 4)
                             << QVariant(1);
        QTest::newRow("I -1") << QByteArray("I4.0") << QVariant(-1) << QByteArray("\x7F\xFF\xFF\xFF", 4)
                              << QVariant(-1);
        QTest::newRow("I null") << QByteArray("I4.0") << QVariant() << QByteArray(4, '\0') << QVariant();
        // '~': a FoxPro table, whose integers are plain little-endian.
        QTest::newRow("FoxPro I -5") << QByteArray("~I4.0") << QVariant(-5)
                                     << QByteArray("\xFB\xFF\xFF\xFF", 4) << QVariant(-5);
        QTest::newRow("FoxPro I 0") << QByteArray("~I4.0") << QVariant(0) << QByteArray(4, '\0')
                                    << QVariant(0);
        QTest::newRow("O 12.25") << QByteArray("O8.0") << QVariant(12.25)
                                 << QByteArray("\0\0\0\0\0\x80\x28\x40", 8) << QVariant(12.25);
        QTest::newRow("Y 12.3456") << QByteArray("Y8.4") << QVariant(12.3456)
                                   << QByteArray("\x40\xE2\x01\0\0\0\0\0", 8) << QVariant(12.3456);
        QTest::newRow("Y -0.0001") << QByteArray("Y8.4") << QVariant(-0.0001) << QByteArray(8, '\xFF')
                                   << QVariant(-0.0001);
        QTest::newRow("L without bytes")
            << QByteArray("L0.0") << QVariant(true) << QByteArray() << QVariant();
        QTest::newRow("@ day 1") << QByteArray("@8.0") << QVariant(QDateTime(QDate(1, 1, 1), QTime(0, 0)))
                                 << QByteArray("\x41\x94\x99\x70\x00\x00\x00\x00", 8)
                                 << QVariant(QDateTime(QDate(1, 1, 1), QTime(0, 0)));
        QTest::newRow("@ null") << QByteArray("@8.0") << QVariant() << QByteArray(8, '\0') << QVariant();
        QTest::newRow("C padded") << QByteArray("C6.0") << QVariant(QStringLiteral("ab"))
                                  << QByteArray("ab    ") << QVariant(QStringLiteral("ab"));
        QTest::newRow("C cut at width") << QByteArray("C3.0") << QVariant(QStringLiteral("abcdef"))
                                        << QByteArray("abc") << QVariant(QStringLiteral("abc"));
        QTest::newRow("C keeps leading blanks") << QByteArray("C8.0") << QVariant(QStringLiteral("  ab  "))
                                                << QByteArray("  ab    ") << QVariant(QStringLiteral("  ab"));
        QTest::newRow("C empty is null")
            << QByteArray("C4.0") << QVariant(QString()) << QByteArray("    ") << QVariant();
    }

    void fieldEncoding() {
        QFETCH(QByteArray, descriptor);
        QFETCH(QVariant, value);
        QFETCH(QByteArray, bytes);
        QFETCH(QVariant, readBack);
        TDbfField f;
        f.LittleEndianInteger = descriptor.startsWith('~');
        if (f.LittleEndianInteger) descriptor.remove(0, 1);
        QList<QByteArray> parts = descriptor.mid(1).split('.');
        f.Name = QStringLiteral("X"), f.Type = descriptor[0], f.Length = parts[0].toInt();
        f.Decimals = parts[1].toInt(), f.Offset = 1;
        QByteArray encoded = TDbfFile::encodeField(f, value, ascii_ANSI);
        QCOMPARE(encoded, bytes);
        QVariant decoded = TDbfFile::decodeField(f, encoded.constData(), ascii_ANSI);
        QCOMPARE(decoded.isValid(), readBack.isValid());
        if (readBack.isValid()) QCOMPARE(decoded, readBack);
    }

    void numberWiderThanFieldIsRefused_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("value");
        QTest::newRow("six digits in five") << 5 << 0 << 123456.0;
        QTest::newRow("decimals push it over") << 6 << 2 << 1234.5;
        QTest::newRow("N 19 4 above 10^14") << 19 << 4 << 1.0e15;
        QTest::newRow("sign takes a place") << 3 << 0 << -100.0;
        QTest::newRow("rounding carries over") << 4 << 1 << 99.96;
        QTest::newRow("not a number") << 19 << 4 << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinity") << 19 << 4 << std::numeric_limits<double>::infinity();
    }

    void numberWiderThanFieldIsRefused() {
        QFETCH(int, length);
        QFETCH(int, decimals);
        QFETCH(double, value);
        TDbfField f{QStringLiteral("NC"), 'N', length, decimals, 1};
        try {
            (void)TDbfFile::encodeField(f, value, ascii_ANSI);
            QFAIL("the number was stored");
        } catch (const EDatabaseError& e) {
            QVERIFY(e.message().contains(QStringLiteral("NC")));
            QCOMPARE(e.code(), int(DS_INVALID_FIELD_SIZE));
        }
    }

    void numberRefusalThroughTheDataset() {
        QString p = makeNomenkla(QStringLiteral("wide.dbf"), {{"A", "1.0000"}});
        QByteArray before = dbftest::read(p);
        TDsDatabase db;
        db.SetDatabaseName(m_dir.path());
        TDsDbfTable t;
        t.SetName(QStringLiteral("Dbf5"));
        t.SetDatabase(&db);
        t.SetTableName(QStringLiteral("wide.dbf"));
        t.Open();
        t.Edit();
        t.FieldByName(QStringLiteral("NC"))->SetAsFloat(7.25);
        try {
            t.FieldByName(QStringLiteral("NC"))->SetAsFloat(1.0e15);
            QFAIL("stored");
        } catch (const EDatabaseError& e) {
            QVERIFY(e.message().startsWith(QStringLiteral("Dbf5: ")));
        }
        // The refused value leaves the earlier one in the buffer.
        QCOMPARE(t.FieldByName(QStringLiteral("NC"))->AsFloat(), 7.25);
        QCOMPARE(t.State(), TDataSetState::dsEdit);
        t.Cancel();
        t.Close();
        QCOMPARE(dbftest::read(p), before);
    }

    void fieldDecoding_data() {
        QTest::addColumn<QByteArray>("descriptor");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("D blank") << QByteArray("D8") << QByteArray(8, ' ') << QVariant();
        QTest::newRow("D 15.3.2012") << QByteArray("D8") << QByteArray("20120315")
                                     << QVariant(QDate(2012, 3, 15));
        QTest::newRow("D month 13") << QByteArray("D8") << QByteArray("20121315") << QVariant();
        QTest::newRow("D 30 February") << QByteArray("D8") << QByteArray("20120230") << QVariant();
        QTest::newRow("D zeros") << QByteArray("D8") << QByteArray("00000000") << QVariant();
        QTest::newRow("D letters") << QByteArray("D8") << QByteArray("2012031x") << QVariant();
        QTest::newRow("D with separators") << QByteArray("D8") << QByteArray("15.03.12") << QVariant();
        QTest::newRow("L T") << QByteArray("L1") << QByteArray("T") << QVariant(true);
        QTest::newRow("L Y") << QByteArray("L1") << QByteArray("Y") << QVariant(true);
        QTest::newRow("L y") << QByteArray("L1") << QByteArray("y") << QVariant(true);
        QTest::newRow("L F") << QByteArray("L1") << QByteArray("F") << QVariant(false);
        QTest::newRow("L N") << QByteArray("L1") << QByteArray("N") << QVariant(false);
        QTest::newRow("L unknown") << QByteArray("L1") << QByteArray("?") << QVariant();
        QTest::newRow("L garbage") << QByteArray("L1") << QByteArray("X") << QVariant();
        QTest::newRow("N right-aligned") << QByteArray("N8") << QByteArray("   12.50") << QVariant(12.5);
        QTest::newRow("N left-aligned") << QByteArray("N8") << QByteArray("12.50   ") << QVariant(12.5);
        QTest::newRow("N sign and exponent")
            << QByteArray("N8") << QByteArray("  -1.5e2") << QVariant(-150.0);
        QTest::newRow("N garbage is 0") << QByteArray("N8") << QByteArray("  12,50 ") << QVariant(0.0);
        QTest::newRow("N stars are null") << QByteArray("N4") << QByteArray("****") << QVariant();
        QTest::newRow("N right-aligned stars are null")
            << QByteArray("N6") << QByteArray("  ****") << QVariant();
        QTest::newRow("N star among digits is 0") << QByteArray("N4") << QByteArray("1*23") << QVariant(0.0);
        QTest::newRow("N only a sign is 0") << QByteArray("N4") << QByteArray("   -") << QVariant(0.0);
        QTest::newRow("N blank is null") << QByteArray("N4") << QByteArray("    ") << QVariant();
        QTest::newRow("N wider than 32")
            << QByteArray("N40") << QByteArray("1234567890.12").rightJustified(40) << QVariant(1234567890.12);
        QTest::newRow("N wide text is 0")
            << QByteArray("N40") << QByteArray("abc").rightJustified(40) << QVariant(0.0);
        QTest::newRow("C cut at zero byte")
            << QByteArray("C6") << QByteArray("ab\0cd ", 6) << QVariant(QStringLiteral("ab"));
        QTest::newRow("C all zero bytes") << QByteArray("C3") << QByteArray(3, '\0') << QVariant(QString(""));
        QTest::newRow("I zero is null") << QByteArray("I4") << QByteArray(4, '\0') << QVariant();
        QTest::newRow("+ 7") << QByteArray("+4") << QByteArray("\x80\0\0\x07", 4) << QVariant(7);
        QTest::newRow("M block") << QByteArray("M10") << QByteArray("        42") << QVariant(42);
        QTest::newRow("M garbage") << QByteArray("M10") << QByteArray("      x 42") << QVariant(0);
        QTest::newRow("unknown raw") << QByteArray("Q3") << QByteArray("a\0b", 3)
                                     << QVariant(QByteArray("a\0b", 3));
    }

    void fieldDecoding() {
        QFETCH(QByteArray, descriptor);
        QFETCH(QByteArray, bytes);
        QFETCH(QVariant, value);
        TDbfField f{QStringLiteral("X"), descriptor[0], descriptor.mid(1).toInt(), 0, 1};
        QVariant v = TDbfFile::decodeField(f, bytes.constData(), ascii_ANSI);
        QCOMPARE(v.isValid(), value.isValid());
        if (value.isValid()) QCOMPARE(v, value);
    }

    void czechTextRoundTrip_data() {
        QTest::addColumn<CP_TYPE>("codePage");
        QTest::newRow("ascii_ANSI") << ascii_ANSI;
        QTest::newRow("FoxPro_Czech_1250") << FoxPro_Czech_1250;
        QTest::newRow("WEurope_ANSI") << WEurope_ANSI;
    }

    void czechTextRoundTrip() {
        QFETCH(CP_TYPE, codePage);
        const QString text = QStringLiteral("Pšenice ozimá");
        TDbfField f{QStringLiteral("DRUH"), 'C', 28, 0, 1};
        QByteArray bytes = TDbfFile::encodeField(f, text, codePage);
        QCOMPARE(bytes, QByteArray("P\x9a"
                                   "enice ozim\xe1") +
                            QByteArray(15, ' '));
        QCOMPARE(TDbfFile::decodeField(f, bytes.constData(), codePage).toString(), text);
        // Widths count Windows-1250 bytes: eight Czech letters fill eight bytes exactly.
        TDbfField narrow{QStringLiteral("N"), 'C', 8, 0, 1};
        QString czech = QStringLiteral("ěščřžýáíé");
        QCOMPARE(TDbfFile::encodeField(narrow, czech, codePage), cp1250::encode(czech.left(8)));
        // A character that Windows-1250 cannot hold is stored as '?'.
        QCOMPARE(TDbfFile::encodeField(narrow, QStringLiteral("a€b✓"), codePage), QByteArray("a\x80"
                                                                                             "b?    "));
        // One '?' per such character, a surrogate pair being one; the letters after it stay.
        QCOMPARE(TDbfFile::encodeField(narrow, QStringLiteral("a😀č✓ž"), codePage),
                 QByteArray("a?\xE8?\x9E   "));
    }

    void codePageData() {
        QCOMPARE(int(CP_TYPE_COUNT), 118);
        QCOMPARE(int(Access_General), 0);
        QCOMPARE(int(ascii_ANSI), 5);
        QCOMPARE(int(dBASE_CSY_cp852), 25);
        QCOMPARE(int(FoxPro_Czech_1250), 60);
        QCOMPARE(int(WEurope_ANSI), 117);
        QCOMPARE(codePageName(Paradox_intl_850), QStringLiteral("Paradox_intl_850"));
        QCOMPARE(codePageName(Paradox_intl), QStringLiteral("Paradox_intl"));
        QCOMPARE(int(Paradox_intl) - int(Paradox_intl_850), 1);
        struct Expect {
            CP_TYPE cp;
            int driver;
            const char* name;
        };
        for (Expect e :
             {Expect{ascii_ANSI, 0x57, "DBWINUS0"}, Expect{dBASE_CSY_cp852, 0x1F, "DB852CZ0"},
              Expect{FoxPro_Czech_1250, 0x9B, "FOXCZWIN"}, Expect{WEurope_ANSI, 0x58, "DBWINWE0"}}) {
            QCOMPARE(int(codePageInfo(e.cp).LanguageDriver), e.driver);
            QCOMPARE(QByteArray(codePageInfo(e.cp).LanguageDriverName), QByteArray(e.name));
        }
        for (CP_TYPE cp : {ascii_ANSI, FoxPro_Czech_1250, WEurope_ANSI})
            for (int i = 0; i < 256; ++i) {
                QCOMPARE(int(codePageInfo(cp).ReadTable[i]), i);
                QCOMPARE(int(codePageInfo(cp).WriteTable[i]), i);
            }
        for (int i = 0; i < CP_TYPE_COUNT; ++i) {
            CP_TYPE back = ascii_ANSI;
            QVERIFY(codePageFromName(codePageName(CP_TYPE(i)), back));
            QCOMPARE(int(back), i);
        }
    }

    void versions_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("languageDriver");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("family");
        QTest::newRow("0x02") << 0x02 << 0 << int(DS_OK) << "FoxPro";
        QTest::newRow("0x03") << 0x03 << 0 << int(DS_OK) << "dBase III";
        QTest::newRow("0x03 with driver") << 0x03 << 0x57 << int(DS_OK) << "dBase IV";
        QTest::newRow("0x04") << 0x04 << 0 << int(DS_OK) << "dBase 7";
        QTest::newRow("0x05") << 0x05 << 0 << int(DS_OK) << "dBase 5";
        QTest::newRow("0x30") << 0x30 << 0 << int(DS_OK) << "FoxPro";
        QTest::newRow("0x83") << 0x83 << 0 << int(DS_OK) << "dBase III";
        QTest::newRow("0x8B") << 0x8B << 0 << int(DS_OK) << "dBase IV";
        QTest::newRow("0x8C") << 0x8C << 0 << int(DS_OK) << "dBase 7";
        QTest::newRow("0xF5") << 0xF5 << 0 << int(DS_OK) << "FoxPro";
        QTest::newRow("0x31") << 0x31 << 0 << int(DS_INVALID_DATABASE_FILE) << "";
        QTest::newRow("0x00") << 0x00 << 0 << int(DS_INVALID_DATABASE_FILE) << "";
        QTest::newRow("0xFF") << 0xFF << 0 << int(DS_INVALID_DATABASE_FILE) << "";
    }

    void versions() {
        QFETCH(int, version);
        QFETCH(int, languageDriver);
        QFETCH(int, code);
        QFETCH(QString, family);
        Layout l;
        l.Version = std::uint8_t(version);
        l.LanguageDriver = std::uint8_t(languageDriver);
        l.Fields = {{"NAZEV", 'C', 5}, {"KS", 'N', 3}};
        l.Records = {dbftest::record(l, {"Brno", "  7"}), dbftest::record(l, {"Tábor", " 12"})};
        QString p = path(QStringLiteral("version.dbf"));
        dbftest::write(p, dbftest::build(l));
        TDbfFile f;
        QCOMPARE(f.Open(p, true, false, 10, ascii_ANSI), code);
        if (code != DS_OK) {
            QVERIFY(!f.IsOpen());
            return;
        }
        QCOMPARE(dbfFamilyName(f.Family()), family);
        QCOMPARE(f.Fields().size(), 2);
        QCOMPARE(f.Fields()[1].Name, QStringLiteral("KS"));
        QCOMPARE(f.Fields()[1].Offset, 6);
        const char* rec = nullptr;
        QCOMPARE(f.Fetch(2, true, rec), int(DS_OK));
        QCOMPARE(f.ReadField(rec, 1).toDouble(), 12.0);
    }

    void encryptedTableIsRefused() {
        Layout l;
        l.Fields = {{"A", 'C', 2}};
        QByteArray b = dbftest::build(l);
        b[15] = 1;
        QString p = path(QStringLiteral("crypted.dbf"));
        dbftest::write(p, b);
        TDbfFile f;
        QCOMPARE(f.Open(p, true, false, 10, ascii_ANSI), int(DS_TABLE_CRYPTED));
    }

    // Damaged files are refused or shown as far as they go; never read past their end.
    void corruptHeaders_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        Layout good;
        good.Fields = {{"NAZEV", 'C', 5}, {"KS", 'N', 3}};
        good.Records = {dbftest::record(good, {"Brno", "  7"})};
        QByteArray valid = dbftest::build(good);

        QTest::newRow("empty file") << QByteArray() << int(DS_CANNOT_READ_FILE);
        QTest::newRow("shorter than 32 bytes") << valid.left(20) << int(DS_CANNOT_READ_FILE);
        Layout cut = good;
        cut.HeaderLengthOverride = 32 + 40; // the second descriptor runs past the header length
        QTest::newRow("header length inside a descriptor")
            << dbftest::build(cut) << int(DS_INVALID_DATABASE_FILE);
        Layout tiny = good;
        tiny.HeaderLengthOverride = 32;
        QTest::newRow("header length 32") << dbftest::build(tiny) << int(DS_INVALID_DATABASE_FILE);
        QByteArray zero = valid;
        dbftest::putU16(zero, 8, 0);
        QTest::newRow("header length 0") << zero << int(DS_INVALID_DATABASE_FILE);
        Layout noFields;
        QTest::newRow("no fields") << dbftest::build(noFields) << int(DS_INVALID_DATABASE_FILE);
        Layout rec0 = good;
        rec0.RecordLengthOverride = 0;
        QTest::newRow("record length 0") << dbftest::build(rec0) << int(DS_INVALID_DATABASE_FILE);
        Layout recShort = good;
        recShort.RecordLengthOverride = 8;
        QTest::newRow("record length below the fields")
            << dbftest::build(recShort) << int(DS_INVALID_DATABASE_FILE);
        QByteArray pastEnd = valid;
        dbftest::putU16(pastEnd, 8, 60000);
        QTest::newRow("header length past the end") << pastEnd << int(DS_CANNOT_READ_FILE);
        QByteArray noTerminator = valid.left(32 + 64);
        dbftest::putU16(noTerminator, 8, 32 + 64);
        dbftest::putU32(noTerminator, 4, 0);
        QTest::newRow("no terminator, no records") << noTerminator << int(DS_OK);
        Layout v7 = good;
        v7.Version = 0x04;
        QTest::newRow("dBase 7 header cut short") << dbftest::build(v7).left(50) << int(DS_CANNOT_READ_FILE);
    }

    void corruptHeaders() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        QString p = path(QStringLiteral("corrupt.dbf"));
        dbftest::write(p, bytes);
        TDsDatabase db;
        db.SetDatabaseName(m_dir.path());
        TDsDbfTable t;
        t.SetDatabase(&db);
        t.SetTableName(QStringLiteral("corrupt.dbf"));
        if (code == DS_OK) {
            t.Open();
            QVERIFY(t.Eof());
            return;
        }
        try {
            t.Open();
            QFAIL("opened");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.message(), dsResultMessage(code));
        }
        QVERIFY(!t.Active());
    }

    void headerClaimingMoreRecordsThanTheFileHolds_data() {
        QTest::addColumn<int>("claimed");
        QTest::addColumn<int>("whole");
        QTest::addColumn<int>("partialBytes");
        QTest::newRow("5 claimed, 3 there, half a record") << 5 << 3 << 7;
        QTest::newRow("5 claimed, 3 there, eof marker") << 5 << 3 << 1;
        QTest::newRow("huge count, no records") << -1 << 0 << 0;
    }

    void headerClaimingMoreRecordsThanTheFileHolds() {
        QFETCH(int, claimed);
        QFETCH(int, whole);
        QFETCH(int, partialBytes);
        Layout l;
        l.Fields = {{"NAZEV", 'C', 10}, {"KS", 'N', 4}};
        for (int i = 0; i < whole; ++i)
            l.Records << dbftest::record(l, {QByteArray("zaznam") + QByteArray::number(i + 1), "   1"});
        l.CountOverride = claimed < 0 ? 0xFFFFFFFFLL : claimed;
        l.EofMarker = false;
        QByteArray bytes = dbftest::build(l);
        bytes += QByteArray(partialBytes, 'x');
        QString p = path(QStringLiteral("short.dbf"));
        dbftest::write(p, bytes);

        TDsDatabase db;
        db.SetDatabaseName(m_dir.path());
        TDsDbfTable t;
        t.SetDatabase(&db);
        t.SetTableName(QStringLiteral("short.dbf"));
        t.SetExclusive(true);
        t.Open();
        QCOMPARE(t.RecordCount(), whole);
        int seen = 0;
        for (t.First(); !t.Eof(); t.Next()) {
            ++seen;
            QCOMPARE(t.FieldByName(QStringLiteral("NAZEV"))->AsString(),
                     QStringLiteral("zaznam%1").arg(seen));
        }
        QCOMPARE(seen, whole);
        t.Append();
        t.FieldByName(QStringLiteral("NAZEV"))->SetAsString(QStringLiteral("novy"));
        t.Post();
        t.Close();

        QByteArray after = dbftest::read(p);
        const int header = l.HeaderLength(), rec = l.RecordLength();
        QCOMPARE(dbftest::getU32(after, 4), std::uint32_t(whole + 1));
        QCOMPARE(after.mid(header + whole * rec, rec), QByteArray(" novy      ") + QByteArray(4, ' '));
        QCOMPARE(after[header + (whole + 1) * rec], char(0x1A));
        t.Open();
        QCOMPARE(t.RecordCount(), whole + 1);
        t.Last();
        QCOMPARE(t.FieldByName(QStringLiteral("NAZEV"))->AsString(), QStringLiteral("novy"));
    }

    void zapThenPackEmptiesTheFile() {
        QString p = makeNomenkla(QStringLiteral("zap.dbf"),
                                 {{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"E", "5"}});
        TDbfFile f;
        QCOMPARE(f.Open(p, false, true, 10, ascii_ANSI), int(DS_OK));
        QCOMPARE(f.Zap(), int(DS_OK));
        QCOMPARE(f.Pack(), int(DS_OK));
        QByteArray b = dbftest::read(p);
        QCOMPARE(b.size(), 97);
        QCOMPARE(dbftest::getU32(b, 4), 0u);
        QCOMPARE(b[96], char(0x0D));
        QByteArray rec(f.RecordLength(), ' ');
        std::uint32_t n = 0;
        QCOMPARE(f.AppendRecord(rec.constData(), n), int(DS_OK));
        QCOMPARE(n, 1u);
        b = dbftest::read(p);
        QCOMPARE(b.mid(97, 32), rec);
        QCOMPARE(b[129], char(0x1A));
        f.Close();
        QCOMPARE(dbftest::read(p).size(), 97 + 32 + 1);
    }

    void packKeepsLiveRecordsInOrder_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<QList<int>>("deleted");
        QTest::addColumn<int>("cache");
        QTest::newRow("2 and 3 of 4") << 4 << QList<int>{2, 3} << 10;
        QTest::newRow("2 and 3 of 4, cache 1") << 4 << QList<int>{2, 3} << 1;
        QTest::newRow("every second of 25, cache 3")
            << 25 << QList<int>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24} << 3;
        QTest::newRow("first only, cache 2") << 5 << QList<int>{1} << 2;
        QTest::newRow("all") << 3 << QList<int>{1, 2, 3} << 10;
        QTest::newRow("none") << 3 << QList<int>{} << 2;
        QTest::newRow("cache far larger than the table") << 6 << QList<int>{1, 4} << INT_MAX;
    }

    void packKeepsLiveRecordsInOrder() {
        QFETCH(int, records);
        QFETCH(QList<int>, deleted);
        QFETCH(int, cache);
        QList<QList<QByteArray>> rows;
        for (int i = 1; i <= records; ++i)
            rows << QList<QByteArray>{"R" + QByteArray::number(i), QByteArray::number(i)};
        QString p = makeNomenkla(QStringLiteral("pack.dbf"), rows, deleted);
        TDbfFile f;
        QCOMPARE(f.Open(p, false, true, cache, ascii_ANSI), int(DS_OK));
        QCOMPARE(f.Pack(), int(DS_OK));
        QByteArray b = dbftest::read(p);
        QList<int> kept;
        for (int i = 1; i <= records; ++i)
            if (!deleted.contains(i)) kept << i;
        QCOMPARE(dbftest::getU32(b, 4), std::uint32_t(kept.size()));
        QCOMPARE(b.size(), 97 + 32 * kept.size()); // no end-of-file marker after Pack
        for (int i = 0; i < kept.size(); ++i)
            QCOMPARE(b.mid(97 + 32 * i, 13),
                     QByteArray(" R") + QByteArray::number(kept[i]).leftJustified(11, ' '));
    }

    void fileLevelRefusals() {
        QString p = makeNomenkla(QStringLiteral("refuse.dbf"), {{"A", "1"}});
        QByteArray rec(32, ' ');
        std::uint32_t n = 0;
        {
            TDbfFile shared;
            QCOMPARE(shared.Open(p, false, false, 10, ascii_ANSI), int(DS_OK));
            QCOMPARE(shared.Zap(), int(DS_TABLE_BUSY));
            QCOMPARE(shared.Pack(), int(DS_TABLE_BUSY));
        }
        {
            TDbfFile readOnly;
            QCOMPARE(readOnly.Open(p, true, true, 10, ascii_ANSI), int(DS_OK));
            QCOMPARE(readOnly.Zap(), int(DS_TABLE_READ_ONLY));
            QCOMPARE(readOnly.Pack(), int(DS_TABLE_READ_ONLY));
            QCOMPARE(readOnly.AppendRecord(rec.constData(), n), int(DS_TABLE_READ_ONLY));
            QCOMPARE(readOnly.RewriteRecord(1, rec.constData()), int(DS_TABLE_READ_ONLY));
            QCOMPARE(readOnly.MarkDeleted(1), int(DS_TABLE_READ_ONLY));
        }
        QCOMPARE(dbftest::getU32(dbftest::read(p), 4), 1u);
    }

    void memoFileIsOpenedWhenPresent() {
        QString p = makeNomenkla(QStringLiteral("withmemo.dbf"), {{"A", "1"}});
        TDbfFile f;
        QCOMPARE(f.Open(p, true, false, 10, ascii_ANSI), int(DS_OK));
        QVERIFY(!f.HasMemoFile());
        f.Close();
        dbftest::write(path(QStringLiteral("withmemo.dbt")), QByteArray(512, '\0'));
        QCOMPARE(f.Open(p, true, false, 10, ascii_ANSI), int(DS_OK));
        QVERIFY(f.HasMemoFile());
    }

    // Sharing: an exclusive opener keeps everybody out, shared openers keep exclusive ones out.
    void locks_data() {
        QTest::addColumn<bool>("firstExclusive");
        QTest::addColumn<bool>("secondExclusive");
        QTest::addColumn<bool>("secondReadOnly");
        QTest::addColumn<int>("code");
        QTest::newRow("exclusive, exclusive") << true << true << false << int(DS_CANNOT_OPEN_FILE);
        QTest::newRow("exclusive, shared") << true << false << false << int(DS_CANNOT_OPEN_FILE);
        QTest::newRow("exclusive, shared read-only") << true << false << true << int(DS_CANNOT_OPEN_FILE);
        QTest::newRow("shared, exclusive") << false << true << false << int(DS_CANNOT_OPEN_FILE);
        QTest::newRow("shared, shared") << false << false << false << int(DS_OK);
        QTest::newRow("shared, shared read-only") << false << false << true << int(DS_OK);
    }

    void locks() {
        QFETCH(bool, firstExclusive);
        QFETCH(bool, secondExclusive);
        QFETCH(bool, secondReadOnly);
        QFETCH(int, code);
        QString p = makeNomenkla(QStringLiteral("lock.dbf"), {{"A", "1"}});
        TDbfFile first, second;
        QCOMPARE(first.Open(p, false, firstExclusive, 10, ascii_ANSI), int(DS_OK));
        QCOMPARE(second.Open(p, secondReadOnly, secondExclusive, 10, ascii_ANSI), code);
        QCOMPARE(second.IsOpen(), code == DS_OK);

        // Another process is kept out the same way.
        pid_t child = fork();
        if (child == 0) {
            TDbfFile other;
            _exit(other.Open(p, secondReadOnly, secondExclusive, 10, ascii_ANSI));
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), code);

        // Creating over a file that is open anywhere fails and leaves it alone.
        QByteArray before = dbftest::read(p);
        QCOMPARE(TDbfFile::Create(p, ascii_ANSI, {{QStringLiteral("X"), ftString, 1}}),
                 int(DS_CANNOT_OPEN_FILE));
        QCOMPARE(dbftest::read(p), before);

        first.Close();
        second.Close();
        QCOMPARE(second.Open(p, secondReadOnly, secondExclusive, 10, ascii_ANSI), int(DS_OK));
    }

    void tablePath_data() {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/opt/kvor/data"
                               << "zadost.dbf"
                               << "/opt/kvor/data/zadost.dbf";
        QTest::newRow("trailing slash") << "/opt/kvor/data/"
                                        << "zadost.dbf"
                                        << "/opt/kvor/data/zadost.dbf";
        QTest::newRow("backslashes") << "/opt/kvor\\data"
                                     << "zadost.dbf"
                                     << "/opt/kvor/data/zadost.dbf";
        QTest::newRow("no extension") << "data"
                                      << "cenik"
                                      << "data/cenik.dbf";
        QTest::newRow("other extension") << "data"
                                         << "cenik.txt"
                                         << "data/cenik.dbf";
        QTest::newRow("two dots") << "data"
                                  << "a.b.c"
                                  << "data/a.b.dbf";
        QTest::newRow("empty directory") << ""
                                         << "zadost.dbf"
                                         << "zadost.dbf";
        QTest::newRow("backslash in the table name") << ""
                                                     << "data\\zadost.dbf"
                                                     << "data/zadost.dbf";
        QTest::newRow("dot in the directory only") << "./da.ta"
                                                   << "zadost"
                                                   << "./da.ta/zadost.dbf";
    }

    void tablePath() {
        QFETCH(QString, directory);
        QFETCH(QString, table);
        QFETCH(QString, path);
        QCOMPARE(dbfTablePath(directory, table), path);
    }
};

QTEST_GUILESS_MAIN(TestDbfFile)
#include "tst_dbf_file.moc"
