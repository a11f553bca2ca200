// Replays the kept inputs of the filter fuzz target (its seeds and every input that once failed)
// through the same harness, so an old failure cannot come back unnoticed in an ordinary build.
#include "filter/FilterFuzzInput.h"

#include <QDir>
#include <QtTest>

class TestFilterInputs : public QObject {
    Q_OBJECT
private slots:
    void keptInputs_data() {
        QTest::addColumn<QString>("path");
        for (const char* folder : {"corpus", "regressions"}) {
            const QDir dir(QStringLiteral(KVOR_SOURCE_DIR "/fuzz/filter/") + QLatin1String(folder));
            for (const QFileInfo& file : dir.entryInfoList(QDir::Files))
                if (file.fileName() != u"README")
                    QTest::newRow(qPrintable(QLatin1String(folder) + u'/' + file.fileName()))
                        << file.filePath();
        }
    }
    void keptInputs() {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        kvor::fuzzing::runFilterInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      std::size_t(bytes.size()));
    }
};

QTEST_GUILESS_MAIN(TestFilterInputs)
#include "tst_filter_inputs.moc"
