// Feeds arbitrary bytes to the update check as the downloaded version file: either it is refused
// with a message (fewer than two lines), or it gives a published stamp of at most 19 characters
// within one line, which compares consistently with the program's stamp and comes back unchanged
// from the log verze.log, where the check writes it.
#include "FuzzSupport.h"

#include "platform/Cp1250.h"
#include "update/VersionStamp.h"

#include <QFile>

#include <cstddef>
#include <cstdint>

using namespace kvor;
using kvor::fuzzing::check;

namespace {

const QString& logPath() {
    static const QString path = fuzzing::scratchPath(QStringLiteral("verze.log"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString published;
    try {
        published = stamp::published(bytes);
    } catch (const EUpdateError& e) {
        check(!e.message().isEmpty(), "version file refused without a message");
        return 0;
    }
    check(published.size() <= stamp::kLength, "published stamp too long:", published);
    check(!published.contains(u'\r') && !published.contains(u'\n') && !published.contains(u'\t'),
          "published stamp spans more than one field:", published);

    // The comparison is an order: never both ways, never a stamp newer than itself.
    const QString program = QStringLiteral("2012-03-15 10:30:05");
    check(!(stamp::isNewer(published, program) && stamp::isNewer(program, published)),
          "stamps newer both ways");
    check(!stamp::isNewer(published, published), "stamp newer than itself");

    stamp::writeLog(logPath(), program, published);
    QFile log(logPath());
    check(log.open(QIODevice::ReadOnly), "log not written");
    const QString expected = QStringLiteral("Verze programu: ") + program +
                             QStringLiteral("\r\nVerze internet: ") + published + QStringLiteral("\r\n");
    const QString text = cp1250::decode(log.readAll());
    check(text == expected, "log reads differently:", text);
    return 0;
}
