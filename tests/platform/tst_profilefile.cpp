// Settings files must read like the profile files of an existing installation and must never
// lose or reorder what they do not change.
#include "platform/ProfileFile.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace kvor;
using kvor::testing::UnprivilegedScope;

namespace {

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A hand-kept file: comments, blank lines, odd spacing and a byte that Windows-1250 leaves undefined.
const QByteArray handKept = "; Kvor settings\r\n"
                            "\r\n"
                            "[TFmozno]\r\n"
                            "Editpodnik_Text = 1234 \r\n"
                            "; the ICO as registered\r\n"
                            "EditICO_Text=12345678\r\n"
                            "\r\n"
                            "; label dialog \x81\r\n"
                            "[TFstit]\r\n"
                            "suiSpinEdit1_Value=3\r\n";

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT
private slots:
    void init();

    void readString_data();
    void readString();
    void readMissingFile();
    void writeString_data();
    void valuesReadBackAsWritten_data();
    void valuesReadBackAsWritten();
    void writeString();
    void writeThenReadCzech();
    void eraseSection_data();
    void eraseSection();
    void writeSection_data();
    void writeSection();
    void deleteKeyRemovesShadowedDuplicates();
    void dateTime_data();
    void dateTime();
    void integersAndBools_data();
    void integersAndBools();
    void sectionsAndKeys();
    void fileNameAsOnWindows();
    void writeErrors_data();
    void writeErrors();
    void noTemporaryFilesLeft();
    void readOnlyFolder_data();
    void readOnlyFolder();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("kvor.ini")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestProfileFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestProfileFile::readString_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString def = QStringLiteral("<default>");
    QTest::newRow("plain") << QByteArray("[S]\r\nk=v\r\n") << "S"
                           << "k"
                           << "v";
    QTest::newRow("names ignore case") << QByteArray("[tfMOZNO]\r\nEDITICO_TEXT=123\r\n") << "TFmozno"
                                       << "EditICO_Text"
                                       << "123";
    QTest::newRow("blanks around value removed") << QByteArray("[S]\r\n  key  =   two  words   \r\n") << "S"
                                                 << "key"
                                                 << "two  words";
    QTest::newRow("blanks around header") << QByteArray("  [ TFstit ]  \r\nk=1\r\n") << "tfstit"
                                          << "k"
                                          << "1";
    QTest::newRow("empty value is not the default") << QByteArray("[S]\r\nk=\r\n") << "S"
                                                    << "k"
                                                    << "";
    QTest::newRow("value may hold '='") << QByteArray("[S]\r\nk=a=b\r\n") << "S"
                                        << "k"
                                        << "a=b";
    QTest::newRow("LF line ends") << QByteArray("[A]\na=1\n[S]\nk=v\n") << "S"
                                  << "k"
                                  << "v";
    QTest::newRow("no final line end") << QByteArray("[S]\r\nk=v") << "S"
                                       << "k"
                                       << "v";
    QTest::newRow("Windows-1250 value") << QByteArray("[S]\r\nk=Osiva \xe8\x65sk\xe1\r\n") << "S"
                                        << "k" << QStringLiteral("Osiva česká");
    QTest::newRow("Czech key name, other case")
        << QByteArray("[S]\r\n\xc8\xcdSLO=7\r\n") << "S" << QStringLiteral("číslo") << "7";
    QTest::newRow("first of duplicate keys") << QByteArray("[S]\r\nk=1\r\nk=2\r\n") << "S"
                                             << "k"
                                             << "1";
    QTest::newRow("double quotes removed") << QByteArray("[S]\r\nk= \" two \" \r\n") << "S"
                                           << "k"
                                           << " two ";
    QTest::newRow("single quotes removed") << QByteArray("[S]\r\nk='a'\r\n") << "S"
                                           << "k"
                                           << "a";
    QTest::newRow("unmatched quotes kept") << QByteArray("[S]\r\nk=\"Osiva\" a.s.\r\n") << "S"
                                           << "k"
                                           << "\"Osiva\" a.s.";
    QTest::newRow("a lone quote kept") << QByteArray("[S]\r\nk=\"\r\n") << "S"
                                       << "k"
                                       << "\"";
    QTest::newRow("missing section") << QByteArray("[A]\r\nk=v\r\n") << "S"
                                     << "k" << def;
    QTest::newRow("missing key") << QByteArray("[S]\r\nother=v\r\n") << "S"
                                 << "k" << def;
    QTest::newRow("key of the next section") << QByteArray("[S]\r\n[T]\r\nk=v\r\n") << "S"
                                             << "k" << def;
    QTest::newRow("commented out") << QByteArray("[S]\r\n;k=v\r\n") << "S"
                                   << "k" << def;
    QTest::newRow("key before any section") << QByteArray("k=v\r\n[S]\r\n") << "S"
                                            << "k" << def;
    QTest::newRow("empty file") << QByteArray() << "S"
                                << "k" << def;
}

void TestProfileFile::readString() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeBytes(path(), file);
    QCOMPARE(TIniFile(path()).ReadString(section, key, QStringLiteral("<default>")), expected);
}

void TestProfileFile::readMissingFile() {
    TIniFile ini(path());
    QCOMPARE(ini.ReadString("TFmozno", "EditICO_Text", "ICO"), QStringLiteral("ICO"));
    QCOMPARE(ini.ReadInteger("TFstit", "suiSpinEdit1_Value", 5), 5);
    QVERIFY(!ini.SectionExists("TFmozno"));
    QVERIFY(ini.ReadSection("TFmozno").isEmpty());
    // Erasing from a file that is not there must not create it.
    ini.EraseSection("TFmozno");
    QVERIFY(!QFile::exists(path()));
}

void TestProfileFile::writeString_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("creates the file") << false << QByteArray() << "TFmozno"
                                      << "EditICO_Text"
                                      << "123" << QByteArray("[TFmozno]\r\nEditICO_Text=123\r\n");
    QTest::newRow("replaces in place, keeps the key's spelling")
        << true << QByteArray("[S]\r\nKey = old\r\nb=2\r\n") << "s"
        << "KEY"
        << "new" << QByteArray("[S]\r\nKey=new\r\nb=2\r\n");
    QTest::newRow("new key after the last key of its section")
        << true << QByteArray("[A]\r\na=1\r\n\r\n; about B\r\n[B]\r\nb=2\r\n") << "a"
        << "c"
        << "3" << QByteArray("[A]\r\na=1\r\nc=3\r\n\r\n; about B\r\n[B]\r\nb=2\r\n");
    QTest::newRow("new key into a section without keys")
        << true << QByteArray("[A]\r\n\r\n[B]\r\nb=2\r\n") << "A"
        << "a"
        << "1" << QByteArray("[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n");
    QTest::newRow("new section at the end") << true << QByteArray("[A]\r\na=1\r\n") << "N"
                                            << "k"
                                            << "v" << QByteArray("[A]\r\na=1\r\n\r\n[N]\r\nk=v\r\n");
    QTest::newRow("file without final line end") << true << QByteArray("[A]\r\na=1") << "A"
                                                 << "b"
                                                 << "2" << QByteArray("[A]\r\na=1\r\nb=2\r\n");
    QTest::newRow("LF file stays LF") << true << QByteArray("[A]\na=1\n") << "A"
                                      << "b"
                                      << "2" << QByteArray("[A]\na=1\nb=2\n");
    QTest::newRow("Windows-1250 on disk")
        << true << QByteArray("[S]\r\nk=x\r\n") << "S"
        << "k" << QStringLiteral("Žďár") << QByteArray("[S]\r\nk=\x8e\xef\xe1r\r\n");
    QTest::newRow("unmappable becomes ?") << true << QByteArray("[S]\r\n") << "S"
                                          << "k" << QStringLiteral("niño") << QByteArray("[S]\r\nk=ni?o\r\n");
    QTest::newRow("line break cannot start a section")
        << true << QByteArray("[S]\r\n") << "S"
        << "k"
        << "a\r\n[X]\ny=1" << QByteArray("[S]\r\nk=a [X] y=1\r\n");
    QTest::newRow("comments, blank lines and other sections kept")
        << true << handKept << "TFmozno"
        << "EditICO_Text"
        << "87654321" << QByteArray(handKept).replace("EditICO_Text=12345678", "EditICO_Text=87654321");
    QTest::newRow("first of duplicate sections") << true << QByteArray("[S]\r\nk=1\r\n[S]\r\nk=2\r\n") << "S"
                                                 << "k"
                                                 << "9" << QByteArray("[S]\r\nk=9\r\n[S]\r\nk=2\r\n");
}

void TestProfileFile::writeString() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (exists) writeBytes(path(), before);
    TIniFile(path()).WriteString(section, key, value);
    QCOMPARE(readBytes(path()), after);
}

void TestProfileFile::valuesReadBackAsWritten_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain") << QStringLiteral("Osiva Haná") << QByteArray("k=Osiva Han\xe1");
    QTest::newRow("whole value in double quotes")
        << QStringLiteral("\"Agro\"") << QByteArray("k=\"\"Agro\"\"");
    QTest::newRow("whole value in single quotes") << QStringLiteral("'x'") << QByteArray("k=\"'x'\"");
    QTest::newRow("quotes inside") << QStringLiteral("\"Agro\" a \"Semo\" s.r.o.")
                                   << QByteArray("k=\"Agro\" a \"Semo\" s.r.o.");
    QTest::newRow("blanks at the ends") << QStringLiteral("  odsazeno ") << QByteArray("k=\"  odsazeno \"");
    QTest::newRow("a lone quote") << QStringLiteral("\"") << QByteArray("k=\"");
}

void TestProfileFile::valuesReadBackAsWritten() {
    QFETCH(QString, value);
    QFETCH(QByteArray, line);
    TIniFile(path()).WriteString("S", "k", value);
    QCOMPARE(readBytes(path()), QByteArray("[S]\r\n") + line + "\r\n");
    QCOMPARE(TIniFile(path()).ReadString("S", "k", "default"), value);
}

void TestProfileFile::writeThenReadCzech() {
    TIniFile ini(path());
    const QString name = QStringLiteral("Zemědělské družstvo Řepín, a. s.");
    ini.WriteString("TFmozno", "Editnazev_Text", name);
    ini.WriteString("TFmozno", "Editsidlo_Text", QStringLiteral("Čáslav"));
    // Another object over the same file sees the writes at once.
    TIniFile other(path());
    QCOMPARE(other.ReadString("tfmozno", "editnazev_text", QString()), name);
    QCOMPARE(other.ReadString("TFmozno", "Editsidlo_Text", QString()), QStringLiteral("Čáslav"));
}

void TestProfileFile::eraseSection_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("middle section with its lines")
        << QByteArray("[A]\r\na=1\r\n[TFmozno]\r\nx=1\r\n; note\r\n\r\n[B]\r\nb=2\r\n") << "tfmozno"
        << QByteArray("[A]\r\na=1\r\n[B]\r\nb=2\r\n");
    QTest::newRow("last section") << QByteArray("[A]\r\na=1\r\n[B]\r\nb=2") << "B"
                                  << QByteArray("[A]\r\na=1\r\n");
    QTest::newRow("every section of that name")
        << QByteArray("[S]\r\nk=1\r\n[A]\r\na=1\r\n[s]\r\nk=2\r\n") << "S" << QByteArray("[A]\r\na=1\r\n");
    QTest::newRow("missing section changes nothing") << handKept << "Nothing" << handKept;
    QTest::newRow("hand-kept file") << handKept << "TFmozno"
                                    << QByteArray(
                                           "; Kvor settings\r\n\r\n[TFstit]\r\nsuiSpinEdit1_Value=3\r\n");
}

void TestProfileFile::eraseSection() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QByteArray, after);
    writeBytes(path(), before);
    TIniFile ini(path());
    ini.EraseSection(section);
    QCOMPARE(readBytes(path()), after);
    QVERIFY(!ini.SectionExists(section));
    QCOMPARE(ini.ReadString(section, "k", "gone"), QStringLiteral("gone"));
}

void TestProfileFile::writeSection_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("no file") << QByteArray() << QByteArray("[TFmozno]\r\na=1\r\nb= x \r\n");
    QTest::newRow("keeps its place, drops its old keys and comments")
        << QByteArray("[A]\r\na=1\r\n[TFmozno]\r\nold=0\r\n; note\r\n\r\n[B]\r\nb=2\r\n")
        << QByteArray("[A]\r\na=1\r\n[TFmozno]\r\na=1\r\nb= x \r\n\r\n[B]\r\nb=2\r\n");
    QTest::newRow("every section of that name becomes one")
        << QByteArray("[tfmozno]\nold=0\n[A]\na=1\n[TFMOZNO]\nb=2")
        << QByteArray("[TFmozno]\na=1\nb= x \n\n[A]\na=1\n");
    QTest::newRow("new section at the end")
        << QByteArray("[A]\r\na=1") << QByteArray("[A]\r\na=1\r\n\r\n[TFmozno]\r\na=1\r\nb= x \r\n");
}

void TestProfileFile::writeSection() {
    QFETCH(QByteArray, before);
    if (!before.isEmpty()) writeBytes(path(), before);
    TIniFile ini(path());
    // " x " needs quotes to come back whole; written as such, it reads back unchanged.
    ini.WriteSection("TFmozno", {{"a", "1"}, {"b", " x "}});
    QFETCH(QByteArray, after);
    QCOMPARE(readBytes(path()).replace("\" x \"", " x "), after);
    QCOMPARE(ini.ReadSection("TFmozno"), (QStringList{"a", "b"}));
    QCOMPARE(ini.ReadString("TFmozno", "b", ""), QStringLiteral(" x "));
}

void TestProfileFile::deleteKeyRemovesShadowedDuplicates() {
    writeBytes(path(), "[S]\r\nk=1\r\nb=2\r\nK=old\r\n");
    TIniFile ini(path());
    ini.DeleteKey("S", "k");
    QVERIFY(!ini.ValueExists("S", "k"));
    QCOMPARE(readBytes(path()), QByteArray("[S]\r\nb=2\r\n"));
}

void TestProfileFile::dateTime_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QDateTime>("value");
    const QDateTime def(QDate(2000, 1, 1), QTime(12, 0));
    QTest::newRow("date and time") << QByteArray("15.3.2012 8:05:09")
                                   << QDateTime(QDate(2012, 3, 15), QTime(8, 5, 9));
    QTest::newRow("midnight is the date alone")
        << QByteArray("15.3.2012") << QDateTime(QDate(2012, 3, 15), QTime(0, 0));
    QTest::newRow("day zero") << QByteArray("30.12.1899") << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    QTest::newRow("bad day") << QByteArray("32.1.2012") << def;
    QTest::newRow("bad hour") << QByteArray("15.3.2012 25:00:00") << def;
    QTest::newRow("other format") << QByteArray("2012-03-15 08:05:09") << def;
    QTest::newRow("words") << QByteArray("včera") << def;
    QTest::newRow("empty") << QByteArray() << def;
}

void TestProfileFile::dateTime() {
    QFETCH(QByteArray, stored);
    QFETCH(QDateTime, value);
    const QDateTime def(QDate(2000, 1, 1), QTime(12, 0));
    TIniFile ini(path());
    writeBytes(path(), "[UpdateTable]\r\nodruda=" + stored + "\r\n");
    QCOMPARE(ini.ReadDateTime("UpdateTable", "odruda", def), value);
    if (value == def) return;
    ini.EraseSection("UpdateTable");
    ini.WriteDateTime("UpdateTable", "odruda", value);
    QCOMPARE(readBytes(path()), "[UpdateTable]\r\nodruda=" + stored + "\r\n");
}

void TestProfileFile::integersAndBools_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("integer"); // with the default 99
    QTest::addColumn<bool>("flag");   // with the default true
    QTest::newRow("one") << QByteArray("1") << 1 << true;
    QTest::newRow("zero") << QByteArray("0") << 0 << false;
    QTest::newRow("negative, blanks") << QByteArray("  -7 ") << -7 << true;
    QTest::newRow("not a number") << QByteArray("12a") << 99 << true;
    QTest::newRow("word") << QByteArray("False") << 99 << true;
    QTest::newRow("too large") << QByteArray("99999999999") << 99 << true;
    QTest::newRow("empty") << QByteArray("") << 99 << true;
}

void TestProfileFile::integersAndBools() {
    QFETCH(QByteArray, stored);
    QFETCH(int, integer);
    QFETCH(bool, flag);
    writeBytes(path(), "[S]\r\nk=" + stored + "\r\n");
    TIniFile ini(path());
    QCOMPARE(ini.ReadInteger("S", "k", 99), integer);
    QCOMPARE(ini.ReadBool("S", "k", true), flag);
}

void TestProfileFile::sectionsAndKeys() {
    writeBytes(path(), handKept + "[Empty]\r\n");
    TIniFile ini(path());
    QCOMPARE(ini.ReadSection("tfmozno"), QStringList({"Editpodnik_Text", "EditICO_Text"}));
    QCOMPARE(ini.ReadSections(), QStringList({"TFmozno", "TFstit", "Empty"}));
    QVERIFY(ini.SectionExists("Empty"));
    QVERIFY(ini.ValueExists("TFSTIT", "SUISPINEDIT1_VALUE"));
    QVERIFY(!ini.ValueExists("TFstit", "Editpodnik_Text"));
    ini.WriteBool("Empty", "b", false);
    ini.WriteInteger("Empty", "i", -12);
    QVERIFY(readBytes(path()).endsWith("[Empty]\r\nb=0\r\ni=-12\r\n"));
}

void TestProfileFile::fileNameAsOnWindows() {
    // The file was created as KVOR.INI; the program asks for .\kvor.ini from the program folder.
    const QString upper = m_dir->filePath("KVOR.INI");
    writeBytes(upper, "[TFmozno]\r\nEditICO_Text=1\r\n");
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    TIniFile ini(QStringLiteral(".\\kvor.ini"));
    QCOMPARE(ini.ReadString("TFmozno", "EditICO_Text", ""), QStringLiteral("1"));
    ini.WriteString("TFmozno", "EditICO_Text", "2");
    QDir::setCurrent(before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"KVOR.INI"});
    QCOMPARE(readBytes(upper), QByteArray("[TFmozno]\r\nEditICO_Text=2\r\n"));
}

void TestProfileFile::writeErrors_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::newRow("missing folder") << "missing/kvor.ini"
                                    << "S"
                                    << "k";
    QTest::newRow("a folder in the way") << "folder"
                                         << "S"
                                         << "k";
    QTest::newRow("key with '='") << "kvor.ini"
                                  << "S"
                                  << "a=b";
    QTest::newRow("key with line break") << "kvor.ini"
                                         << "S"
                                         << "a\r\nb";
    QTest::newRow("empty key") << "kvor.ini"
                               << "S"
                               << " ";
    QTest::newRow("section with ']'") << "kvor.ini"
                                      << "S]x"
                                      << "k";
}

void TestProfileFile::writeErrors() {
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
    const QString target = m_dir->filePath(file);
    writeBytes(path(), handKept);
    try {
        TIniFile(target).WriteString(section, key, "v");
        QFAIL("no exception");
    } catch (const EIniFileError& e) {
        QVERIFY2(e.message().startsWith(QStringLiteral("Nelze zapsat soubor ")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QFileInfo(file).fileName()), qPrintable(e.message()));
    }
    QCOMPARE(readBytes(path()), handKept);
}

void TestProfileFile::noTemporaryFilesLeft() {
    TIniFile ini(path());
    for (int i = 0; i < 20; ++i)
        ini.WriteInteger("S", QStringLiteral("k%1").arg(i % 5), i);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kvor.ini"});
    QCOMPARE(ini.ReadSection("S").size(), 5);
    QCOMPARE(ini.ReadInteger("S", "k4", -1), 19);
}

void TestProfileFile::readOnlyFolder_data() {
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<bool>("fileWritable");
    QTest::addColumn<bool>("written");
    QTest::newRow("a writable file is written in place") << true << true << true;
    QTest::newRow("a read-only file is refused") << true << false << false;
    QTest::newRow("a new file is refused") << false << false << false;
}

// A program folder that refuses new files: the file, where it may be written, is written in place.
void TestProfileFile::readOnlyFolder() {
    QFETCH(bool, fileThere);
    QFETCH(bool, fileWritable);
    QFETCH(bool, written);
    const QString folder = m_dir->filePath("program");
    QVERIFY(QDir().mkpath(folder));
    const QString file = QDir(folder).filePath("kvor.ini");
    if (fileThere) writeBytes(file, handKept);
    QFile(file).setPermissions(fileWritable ? QFile::Permissions(0x6666) : QFile::Permissions(0x4444));
    QFile(folder).setPermissions(QFile::Permissions(0x5555));
    QFile(m_dir->path()).setPermissions(QFile::Permissions(0x7755));
    const auto restore = qScopeGuard([&] { QFile(folder).setPermissions(QFile::Permissions(0x7700)); });
    // The super-user passes every permission check: the writes run as an ordinary user instead.
    UnprivilegedScope unprivileged;
    TIniFile ini(file);
    bool refused = false;
    try {
        ini.WriteSection("TFmozno", {{"EditICO_Text", "87654321"}});
    } catch (const EIniFileError& e) {
        refused = true;
        QVERIFY2(e.message().contains("kvor.ini"), qPrintable(e.message()));
    }
    QCOMPARE(!refused, written);
    QCOMPARE(ini.ReadString("TFmozno", "EditICO_Text", "-"), written     ? QStringLiteral("87654321")
                                                             : fileThere ? QStringLiteral("12345678")
                                                                         : QStringLiteral("-"));
    if (written) QCOMPARE(ini.ReadString("TFstit", "suiSpinEdit1_Value", ""), QStringLiteral("3"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             fileThere ? QStringList{"kvor.ini"} : QStringList{});
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
