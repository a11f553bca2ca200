#pragma once
// A program folder with one request for the print tests: data/zadost.dbf of the request layout,
// kvor.ini with the company identity, and readers of what the print produced (PDF words from
// pdftotext -bbox, barcodes from zbarimg).
#include "platform/ProfileFile.h"
#include "support/RequestRecord.h"
#include "tablestore/DsDbfTable.h"

#include <QDate>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantMap>

namespace kvor::testing {

using namespace Qt::StringLiterals;

inline constexpr double mmPerPt = 25.4 / 72.0;

// The request every print test starts from: every field a form prints is filled.
inline QVariantMap demoRequest() {
    return {
        {"ZADOST_O", "1"},
        {"STREDISKO", "101"},
        {"DRUH", "20"},
        {"NAZ_DRU", u"Pšenice ozimá"_s},
        {"ODRUDA", "4711"},
        {"NAZ_ODRU", "Bohemia"},
        {"STUPEN", "SE2"},
        {"ROK", "2012"},
        {"PARTIECELA", "12-0815-00042-01"},
        {"ROZ_P1", "P1-0001"},
        {"ROZ_P2", "P2-0002"},
        {"ROZ_P3", "P3-0003"},
        {"ROZ_P4", "P4-0004"},
        {"ROZ_P5", "P5-0005"},
        {"ROZ_P6", "P6-0006"},
        {"ROZ_P7", "P7-0007"},
        {"ROZ_P8", "P8-0008"},
        {"ROZ_P9", "P9-0009"},
        {"ROZ_P10", "P10-0010"},
        {"MNOZSTVI", 1250.5},
        {"MJ", "kg"},
        {"OBALY_TXT", u"pytle jutové"_s},
        {"POCET", 50.0},
        {"BRUTTO", 1260.0},
        {"OBALY2_TXT", "big-bag"},
        {"POCET2", 2.0},
        {"MORIDLOTXT", "Celest Trio"},
        {"OSETRENITX", u"mořeno"_s},
        {"MORIDLO2TX", "Vitavax 200"},
        {"TYP_NA", "I"},
        {"NAV1", "CZ 123 od 1 do 50"},
        {"NAV2", "CZ 124 od 51 do 60"},
        {"MISTOODBER", u"Sklad Kroměříž"_s},
        {"DATUMODBER", QDate(2000, 11, 10)},
        {"POZADAV1", u"zkouška zdravotního stavu"_s},
        {"POZADAV2", u"hmotnost tisíce semen"_s},
        {"UZNA_NIZSI", "N"},
        {"VEGET", "A"},
        {"OPAKHH", "A"},
        {"DATUM", QDate(2012, 3, 15)},
        {"CZP", "123456"},
        {"ZAHRPARTIE", "NL-778"},
        {"UZ1", u"záznam první"_s},
        {"UZ2", u"záznam druhý"_s},
        {"POOT", u"ÚKZÚZ Brno"_s},
        {"HNILOBAM", "0,11"},
        {"HNILOBAS", "0,22"},
        {"PLISENB", "0,33"},
        {"STRUP", "0,44"},
        {"VLOCKA", "0,55"},
        {"MECHAN", "0,66"},
        {"SEDNUTI", "0,77"},
        {"REZ", "0,88"},
        {"HLIZYNAD", "0,99"},
        {"HLIZYPOD", "1,01"},
        {"ZEMINA", "1,02"},
        {"HLIZYJ", "1,03"},
        {"TRIDENI", "35-55"},
        {"AGRONOM", u"Ing. Novák"_s},
        {"id", 42.0},
        {"id_trivan", "123456783300000042"},
    };
}

class PrintFolder {
public:
    explicit PrintFolder(const QVariantMap& changes = {}) {
        QDir(m_dir.path()).mkpath(QStringLiteral("data"));
        writeIdentity();
        QVariantMap record = demoRequest();
        for (auto it = changes.begin(); it != changes.end(); ++it)
            record.insert(it.key(), it.value());
        writeRequest(record);
    }

    QString path(const QString& name = QString()) const { return QDir(m_dir.path()).filePath(name); }
    QString ini() const { return path(QStringLiteral("kvor.ini")); }

    void writeIdentity() const {
        TIniFile file(ini());
        const QList<QPair<const char*, QString>> keys = {
            {"Editnazev_Text", u"Osiva Haná s.r.o."_s}, {"Editsidlo_Text", u"Kroměříž"_s},
            {"Editulice_Text", u"Hulínská 12"_s},       {"EditPSC_Text", u"767 01"_s},
            {"Editposta_Text", u"Kroměříž 1"_s},        {"EditICO_Text", u"12345678"_s},
            {"EditTelefon_Text", u"573 123 456"_s},     {"EditFax_Text", u"573 123 457"_s},
            {"EditEmail_Text", u"osiva@example.cz"_s},
        };
        for (const auto& [key, value] : keys)
            file.WriteString(QStringLiteral("TFmozno"), QString::fromLatin1(key), value);
    }

    // zadost.dbf with the one record given.
    void writeRequest(const QVariantMap& record) const {
        TDsDatabase db;
        db.SetDatabaseName(path(QStringLiteral("data")));
        TDsDbfTable table;
        table.SetDatabase(&db);
        table.SetTableName(QStringLiteral("zadost.dbf"));
        table.SetExclusive(true);
        table.FieldDefs() = requestRecordDefs();
        table.CreateTable();
        table.Open();
        table.Append();
        for (auto it = record.begin(); it != record.end(); ++it)
            table.FieldByName(it.key())->SetValue(it.value());
        table.Post();
        table.Close();
    }

private:
    QTemporaryDir m_dir;
};

inline QString findTool(const char* name) {
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (path.isEmpty()) qFatal("%s is missing: scripts/deps.sh installs it", name);
    return path;
}

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline ToolRun runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// One word of a PDF page as pdftotext -bbox reads it, in millimetres from the top-left corner.
struct PdfWord {
    double left, top, right, bottom;
    QString text;
};

// The words of every page of a PDF file.
inline QList<QList<PdfWord>> pdfWords(const QString& pdf) {
    const ToolRun r = runTool(findTool("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression wordRe(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<QList<PdfWord>> pages;
    for (const QString& chunk : QString::fromUtf8(r.out).split(QStringLiteral("<page ")).mid(1)) {
        QList<PdfWord> words;
        for (auto it = wordRe.globalMatch(chunk); it.hasNext();) {
            const auto m = it.next();
            QString text = m.captured(5);
            text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            words.append({m.captured(1).toDouble() * mmPerPt, m.captured(2).toDouble() * mmPerPt,
                          m.captured(3).toDouble() * mmPerPt, m.captured(4).toDouble() * mmPerPt, text});
        }
        pages.append(words);
    }
    return pages;
}

// Where a text stands among the words of a page: its words one after another on one line, the
// first word's left edge (or the last word's right edge) at x and its top at top, within 1 mm,
// in a font of the given size. Empty when found; otherwise what was found instead.
inline QString locateText(const QList<PdfWord>& words, const QString& text, double x, double top,
                          double points, bool rightAnchored) {
    const QStringList expected = text.split(u' ', Qt::SkipEmptyParts);
    QString near;
    for (int i = 0; i + expected.size() <= words.size(); ++i) {
        bool same = true;
        for (int k = 0; k < expected.size() && same; ++k)
            same = words[i + k].text == expected[k] && qAbs(words[i + k].top - words[i].top) < 0.1;
        if (!same) continue;
        const PdfWord& first = words[i];
        const PdfWord& last = words[i + expected.size() - 1];
        const double at = rightAnchored ? last.right : first.left;
        near += QStringLiteral(" (%1, %2)").arg(at).arg(first.top);
        if (qAbs(at - x) > 1.0 || qAbs(first.top - top) > 1.0) continue;
        // The reader's box spans ascent and descent: about 1.1 to 1.2 times the font size.
        const double height = (first.bottom - first.top) / mmPerPt;
        if (height < points * 1.05 || height > points * 1.25)
            return QStringLiteral("\"%1\" is %2 pt high for %3 pt").arg(text).arg(height).arg(points);
        return {};
    }
    return QStringLiteral("\"%1\" not at (%2, %3);%4").arg(text).arg(x).arg(top).arg(near);
}

// The texts of the barcodes zbarimg finds on each page of a PDF rendered at 300 dpi.
inline QList<QStringList> pdfBarcodes(const QString& pdf, const QString& workDir) {
    const QString prefix = QDir(workDir).filePath(QStringLiteral("page"));
    runTool(findTool("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), pdf, prefix});
    QList<QStringList> pages;
    QStringList files = QDir(workDir).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const ToolRun r = runTool(findTool("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"),
                                                        QDir(workDir).filePath(file)});
        pages.append(QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts));
        QFile::remove(QDir(workDir).filePath(file));
    }
    return pages;
}

// The texts of the barcodes zbarimg finds in one area of one page (1-based) of a PDF rendered at
// 300 dpi; the area in millimetres from the page's top-left corner.
inline QStringList pdfBarcodesIn(const QString& pdf, int page, const QRectF& area, const QString& workDir) {
    const auto px = [](double mm) { return QString::number(qRound(mm / 25.4 * 300)); };
    const QString prefix = QDir(workDir).filePath(QStringLiteral("area"));
    runTool(findTool("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-f"), QString::number(page),
             QStringLiteral("-l"), QString::number(page), QStringLiteral("-x"), px(area.left()),
             QStringLiteral("-y"), px(area.top()), QStringLiteral("-W"), px(area.width()),
             QStringLiteral("-H"), px(area.height()), QStringLiteral("-png"), QStringLiteral("-singlefile"),
             pdf, prefix});
    const ToolRun r = runTool(findTool("zbarimg"), {QStringLiteral("-q"), QStringLiteral("--raw"),
                                                    prefix + QStringLiteral(".png")});
    QFile::remove(prefix + QStringLiteral(".png"));
    return QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace kvor::testing
