// The documents of the help menu as built beside the program: the manual read back by poppler
// (its Czech text, its pages and its pictures) and the two text files.
#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kDocs = QStringLiteral(KVOR_BINARY_DIR "/docs/");

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestHelpDocuments : public QObject {
    Q_OBJECT
private slots:
    void manualReadsBackAsCzechText_data() {
        QTest::addColumn<QString>("phrase");
        for (const char* phrase :
             {"Kvor Pro – žádost o uznání vzorku", "Vyhledávání v seznamu", "hledat i části",
              "Ctrl+Page Down", "Licenční ujednání", "Poslední změny", "převzít"})
            QTest::newRow(phrase) << QString::fromUtf8(phrase);
    }
    void manualReadsBackAsCzechText() {
        QFETCH(QString, phrase);
        const QString text = run(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, kDocs + u"zadosti.pdf"_s, u"-"_s});
        QVERIFY2(!text.isEmpty(), "pdftotext reads the manual");
        // Lines broken by the layout are joined again, so a phrase may span two lines.
        QString joined = text;
        joined.replace(u'\n', u' ');
        QVERIFY2(joined.simplified().contains(phrase), qPrintable(phrase));
    }
    void manualPagesAndPictures() {
        const QString info = run(u"pdfinfo"_s, {kDocs + u"zadosti.pdf"_s});
        QVERIFY(info.contains(u"A4"_s));
        const int pages = info.section(u"Pages:"_s, 1).section(u'\n', 0, 0).trimmed().toInt();
        QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
        // Every screenshot the text names is in the file.
        const QString images = run(u"pdfimages"_s, {u"-list"_s, kDocs + u"zadosti.pdf"_s});
        const int pictures = images.split(u'\n', Qt::SkipEmptyParts).size() - 2; // two header lines
        QFile source(QStringLiteral(KVOR_SOURCE_DIR "/docs/manual/zadosti.md"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        const int named = QString::fromUtf8(source.readAll()).count(u"]("_s);
        QVERIFY(named >= 4);
        QVERIFY2(pictures >= named, qPrintable(images));
    }
    void textFilesBesideTheManual_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("heading");
        QTest::newRow("popis.txt") << u"popis.txt"_s << u"Poslední změny"_s;
        QTest::newRow("licence.txt") << u"licence.txt"_s << u"licenční ujednání"_s;
    }
    void textFilesBesideTheManual() {
        QFETCH(QString, file);
        QFETCH(QString, heading);
        QFile f(kDocs + file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(f.readAll()).contains(heading));
    }
};

QTEST_GUILESS_MAIN(TestHelpDocuments)
#include "tst_help_documents.moc"
