// Feeds arbitrary bytes to the profile file reader as kvor.ini: every section and key it lists can
// be read, and the writes the program makes keep their promises on a file of any content:
// - a section written back with the values read from it reads back as written, and every other
//   section reads as before (later sections of the same name are merged away);
// - a new key reads back as written (line breaks become blanks), the other keys keep their values;
// - a write that is refused leaves the file as it was;
// - a time read from the file is written and read back the same;
// - a deleted key and an erased section are gone, and nothing else is.
#include "FuzzSupport.h"

#include "platform/Cp1250.h"
#include "platform/ProfileFile.h"

#include <QFile>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

using namespace kvor;
using kvor::fuzzing::check;

namespace {

// Enough to reach every kind of line while keeping one input fast: every read parses the file anew.
constexpr int maxSections = 6;
constexpr int maxKeys = 8;

using Values = QList<QPair<QString, QString>>;

struct Section {
    QString name;
    Values values; // each key as listed, with the value a read of that key gives
};

const QString& iniPath() {
    static const QString path = fuzzing::scratchPath(QStringLiteral("kvor.ini"));
    return path;
}

// A value as a write stores it: line breaks inside it become blanks.
QString flattened(QString value) {
    return value.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
}

QByteArray fileBytes() {
    QFile f(iniPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What a reader sees of the file: each section name (its first occurrence) with its keys and
// values. Every listed section exists, and every listed key has a value; typed reads
// of the values are tried on the first look only, which notes the first value that reads as a time.
QList<Section> view(const TIniFile& ini, bool typed, std::optional<QDateTime>& firstTime) {
    QList<Section> out;
    const QString missing = QStringLiteral("\x01missing");
    for (const QString& name : ini.ReadSections().mid(0, maxSections)) {
        check(ini.SectionExists(name), "listed section does not exist:", name);
        Section s{name, {}};
        for (const QString& key : ini.ReadSection(name).mid(0, maxKeys)) {
            const QString value = ini.ReadString(name, key, missing);
            check(value != missing, "listed key has no value:", key);
            if (typed) {
                (void)ini.ReadInteger(name, key, 0);
                (void)ini.ReadBool(name, key, false);
                const QDateTime when = ini.ReadDateTime(name, key, QDateTime());
                if (when.isValid() && !firstTime) firstTime = when;
            }
            s.values.append({key, value});
        }
        out.append(s);
    }
    return out;
}

QList<Section> view(const TIniFile& ini) {
    std::optional<QDateTime> unused;
    return view(ini, false, unused);
}

bool sameName(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// The view without the sections of that name, and without later repeats of any name.
QList<Section> others(const QList<Section>& all, const QString& except) {
    QList<Section> out;
    for (const Section& s : all) {
        if (sameName(s.name, except)) continue;
        bool repeat = false;
        for (const Section& kept : out)
            repeat = repeat || sameName(kept.name, s.name);
        if (!repeat) out.append(s);
    }
    return out;
}

QString describe(const QList<Section>& sections) {
    QString out;
    for (const Section& s : sections) {
        out += u'[' + s.name + u']';
        for (const auto& [key, value] : s.values)
            out += u' ' + key + u'=' + value;
    }
    return out;
}

bool operator==(const Section& a, const Section& b) {
    return a.name == b.name && a.values == b.values;
}

// The views are cut at maxSections, so a section may come into sight when an earlier one goes:
// what both show must agree. The full lists of section names are compared on their own.
void checkSameOthers(const QList<Section>& before, const QList<Section>& after, const QString& target,
                     const char* what) {
    const QList<Section> a = others(before, target), b = others(after, target);
    const qsizetype n = std::min(a.size(), b.size());
    check(a.mid(0, n) == b.mid(0, n), what, describe(a) + QStringLiteral(" -> ") + describe(b));
}

// The section names of the file with those of one name dropped (all of them, or all but the first).
QStringList withoutSection(QStringList names, const QString& target, bool keepFirst) {
    bool seen = false;
    names.removeIf([&](const QString& n) {
        if (!sameName(n, target)) return false;
        const bool drop = seen || !keepFirst;
        seen = true;
        return drop;
    });
    return names;
}

Section sectionIn(const QList<Section>& sections, const QString& name) {
    for (const Section& s : sections)
        if (sameName(s.name, name)) return s;
    return {};
}

// Runs a write; a refusal must leave the file untouched. Returns whether the write was done.
template <class Write> bool written(Write&& write) {
    const QByteArray before = fileBytes();
    try {
        write();
        return true;
    } catch (const EIniFileError& e) {
        check(!e.message().isEmpty(), "refused write without a message");
        check(fileBytes() == before, "refused write changed the file");
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(iniPath());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(bytes);
    }
    TIniFile ini(iniPath());
    const QStringList names = ini.ReadSections();
    std::optional<QDateTime> firstTime;
    const QList<Section> before = view(ini, true, firstTime);
    const Section target = before.isEmpty() ? Section{QStringLiteral("TFmozno"), {}} : before.first();

    // The section written back as it reads.
    QList<Section> current = before;
    if (written([&] { ini.WriteSection(target.name, target.values); })) {
        const QList<Section> after = current = view(ini);
        const Section rewritten = sectionIn(after, target.name);
        Section expected = target;
        for (auto& kv : expected.values)
            kv.second = flattened(kv.second);
        check(rewritten.values == expected.values, "rewritten section reads differently:",
              describe({expected}) + QStringLiteral(" -> ") + describe({rewritten}));
        checkSameOthers(before, after, target.name, "rewriting a section changed another:");
        QStringList expectedNames = withoutSection(names, target.name, true);
        if (std::none_of(names.begin(), names.end(),
                         [&](const QString& n) { return sameName(n, target.name); }))
            expectedNames << target.name;
        check(ini.ReadSections() == expectedNames, "rewriting a section changed the list of sections");
    }

    // A new key with a value made of the input's own characters.
    const QString key = QStringLiteral("Klíč_fuzz");
    const QString value = cp1250::decode(bytes.left(40));
    const QString expected = flattened(value);
    const QList<Section> beforeKey = current;
    if (written([&] { ini.WriteString(target.name, key, value); })) {
        check(ini.ReadString(target.name, key, QString()) == expected, "written value reads differently:",
              value + QStringLiteral(" -> ") + ini.ReadString(target.name, key, QString()));
        const QList<Section> afterKey = view(ini);
        checkSameOthers(beforeKey, afterKey, target.name, "a new key changed another section:");
        Values kept = sectionIn(afterKey, target.name).values;
        kept.removeIf([&](const auto& kv) { return sameName(kv.first, key); });
        Values old = sectionIn(beforeKey, target.name).values;
        old.removeIf([&](const auto& kv) { return sameName(kv.first, key); });
        // The listing is cut at maxKeys, so the new key may push one old key out of sight.
        check(kept == old.mid(0, kept.size()), "a new key changed the section's other keys");

        written([&] { ini.DeleteKey(target.name, key); });
        check(!ini.ValueExists(target.name, key), "deleted key still there");
    }

    // A time read from the file is stored again as the code list refresh stores its change time,
    // and reads back the same.
    if (firstTime) {
        const QString timeKey = QStringLiteral("Čas_fuzz");
        if (written([&] { ini.WriteDateTime(target.name, timeKey, *firstTime); }))
            check(ini.ReadDateTime(target.name, timeKey, QDateTime()) == *firstTime,
                  "written time reads differently:",
                  firstTime->toString(Qt::ISODate) + QStringLiteral(" -> ") +
                      ini.ReadString(target.name, timeKey, QString()));
    }

    const QStringList namesBeforeErase = ini.ReadSections();
    const QList<Section> beforeErase = view(ini);
    if (written([&] { ini.EraseSection(target.name); })) {
        check(!ini.SectionExists(target.name), "erased section still there");
        checkSameOthers(beforeErase, view(ini), target.name, "erasing a section changed another:");
        check(ini.ReadSections() == withoutSection(namesBeforeErase, target.name, false),
              "erasing a section changed the list of sections");
    }
    return 0;
}
