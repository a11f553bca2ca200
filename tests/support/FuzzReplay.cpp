// Replays the kept inputs of one fuzz target in an ordinary build: every file of its corpus/ and
// regressions/ folders goes once through the target's own LLVMFuzzerTestOneInput, one test row
// per file. A target fails an input by crashing or aborting, which fails the test with the
// name of the row it was in.
#include <QCoreApplication>
#include <QDir>
#include <QtTest>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Defined by the targets that need to set something up first (an application object, say).
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

class FuzzReplay : public QObject {
    Q_OBJECT
private slots:
    void keptInputs_data() {
        QTest::addColumn<QString>("path");
        int rows = 0;
        for (const char* folder : {"corpus", "regressions"}) {
            const QDir dir(QStringLiteral(KVOR_FUZZ_INPUTS "/") + QLatin1String(folder));
            for (const QFileInfo& file : dir.entryInfoList(QDir::Files, QDir::Name)) {
                if (file.fileName() == u"README") continue;
                QTest::newRow(qPrintable(QLatin1String(folder) + u'/' + file.fileName())) << file.filePath();
                ++rows;
            }
        }
        QVERIFY2(rows > 0, "no kept inputs in " KVOR_FUZZ_INPUTS);
    }
    void keptInputs() {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                        std::size_t(bytes.size())),
                 0);
    }
};

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
    FuzzReplay replay;
    return QTest::qExec(&replay, argc, argv);
}

#include "FuzzReplay.moc"
