#include "platform/ProfileFile.h"

#include "platform/Cp1250.h"
#include "platform/CzechLocale.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kvor {

namespace {

// One line of the file. The raw bytes and the line end are kept so that every line the program
// does not change is written back exactly as it was found, whatever its code page or line end.
struct Line {
    enum Kind { Other, Section, Key };
    QByteArray raw; // without the line end
    QByteArray eol; // "\r\n", "\n", or empty for a last line without one
    Kind kind = Other;
    QString name;  // section or key name, blanks removed
    QString value; // value of a key, blanks removed
};

const QByteArray crlf("\r\n");

Line classify(QByteArray raw, QByteArray eol) {
    Line line{std::move(raw), std::move(eol), Line::Other, {}, {}};
    const QString text = cp1250::decode(line.raw).trimmed();
    if (text.startsWith(u'[')) {
        qsizetype close = text.indexOf(u']');
        line.kind = Line::Section;
        line.name = text.mid(1, close < 0 ? -1 : close - 1).trimmed();
    } else if (!text.startsWith(u';')) {
        qsizetype eq = text.indexOf(u'=');
        if (eq > 0) {
            line.name = text.left(eq).trimmed();
            if (!line.name.isEmpty()) {
                line.kind = Line::Key;
                line.value = text.mid(eq + 1).trimmed();
            }
        }
    }
    return line;
}

// A value enclosed in a matching pair of single or double quotes is read without them, as Windows
// reads it; quotes keep blanks at the ends of a value that would otherwise be trimmed away.
QString unquoted(const QString& value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Document {
    QList<Line> lines;
    QByteArray original; // the bytes as read, to skip writes that change nothing

    qsizetype findSection(const QString& section, qsizetype from = 0) const {
        const QString wanted = section.trimmed();
        for (qsizetype i = from; i < lines.size(); ++i)
            if (lines[i].kind == Line::Section && sameName(lines[i].name, wanted)) return i;
        return -1;
    }
    // One past the last line of the section whose header is at index header.
    qsizetype sectionEnd(qsizetype header) const {
        qsizetype i = header + 1;
        while (i < lines.size() && lines[i].kind != Line::Section)
            ++i;
        return i;
    }
    // The first key of that name in the first section of that name, or -1.
    qsizetype findKey(const QString& section, const QString& ident) const {
        qsizetype header = findSection(section);
        if (header < 0) return -1;
        const QString wanted = ident.trimmed();
        for (qsizetype i = header + 1, end = sectionEnd(header); i < end; ++i)
            if (lines[i].kind == Line::Key && sameName(lines[i].name, wanted)) return i;
        return -1;
    }
    QByteArray bytes() const {
        QByteArray out;
        for (const Line& l : lines)
            out += l.raw + l.eol;
        return out;
    }
    // New lines follow the file's own line ends; files we start get CRLF.
    QByteArray lineEnd() const {
        for (const Line& l : lines)
            if (!l.eol.isEmpty()) return l.eol;
        return crlf;
    }
    // Makes sure a line can follow the last one.
    void terminateLastLine() {
        if (!lines.isEmpty() && lines.last().eol.isEmpty()) lines.last().eol = lineEnd();
    }
};

Document parse(const QByteArray& bytes) {
    Document doc;
    doc.original = bytes;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0) {
            doc.lines.append(classify(bytes.mid(start), {}));
            break;
        }
        qsizetype end = nl;
        QByteArray eol("\n");
        if (end > start && bytes[end - 1] == '\r') {
            --end;
            eol = crlf;
        }
        doc.lines.append(classify(bytes.mid(start, end - start), eol));
        start = nl + 1;
    }
    return doc;
}

QString writeErrorText(const QString& path) {
    return QStringLiteral("Nelze zapsat soubor %1.").arg(QDir::toNativeSeparators(path));
}

// The path the name stands for on this machine: '\' separators and a case-insensitive file name
// are what the callers and the files of an existing installation assume.
QString resolvePath(const QString& fileName) {
    QString path = fileName;
#ifndef Q_OS_WIN
    path.replace(u'\\', u'/');
#endif
    QFileInfo info(path);
    if (info.exists()) return path;
    QDir dir = info.dir();
    if (!dir.exists()) return path;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries)
        if (sameName(entry, info.fileName())) return dir.filePath(entry);
    return path;
}

// A missing or unreadable file reads as empty: readers then take their defaults.
Document loadForReading(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return parse(file.readAll());
}

// For a write, a file that exists but cannot be read must not be replaced by what little we know.
Document loadForWriting(const QString& path) {
    QFile file(path);
    if (!file.exists()) return {};
    if (!file.open(QIODevice::ReadOnly)) throw EIniFileError(writeErrorText(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throw EIniFileError(writeErrorText(path));
    return parse(bytes);
}

// The new content goes to a temporary file beside the old one and replaces it in one rename, so
// a crash or a full disk leaves either the old file or the new one, never a part of either. A
// folder that refuses new files (a read-only program folder) while the file itself may be written
// leaves no other way than rewriting the file in place.
void save(const QString& path, const Document& doc) {
    const QByteArray bytes = doc.bytes();
    if (bytes == doc.original && QFileInfo::exists(path)) return;
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EIniFileError(writeErrorText(path));
}

// The value as written after the equals sign, so that reading gives it back unchanged.
QByteArray encodeValue(const QString& value) {
    // A line break in a value would start a new key or section of the file's own making.
    QString flat = value;
    flat.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    // A value that reading would change (blanks at its ends, or a pair of quotes around it) goes
    // inside one more pair of double quotes, so that a company name typed as "Agro" comes back whole.
    if (flat != flat.trimmed() || unquoted(flat) != flat) flat = u'"' + flat + u'"';
    return cp1250::encode(flat);
}

// Names that could not be read back as written (or would change the file's structure) are refused.
void checkNames(const QString& path, const QString& section, const QString* ident) {
    auto bad = [](const QString& s) {
        return s.contains(u'\r') || s.contains(u'\n') || s.trimmed().isEmpty();
    };
    bool invalid = bad(section) || section.contains(u']');
    if (ident) {
        const QString key = ident->trimmed();
        invalid =
            invalid || bad(*ident) || key.contains(u'=') || key.startsWith(u'[') || key.startsWith(u';');
    }
    if (invalid) throw EIniFileError(writeErrorText(path));
}

} // namespace

TIniFile::TIniFile(QString fileName) : m_fileName(std::move(fileName)) {}

QString TIniFile::ReadString(const QString& section, const QString& ident, const QString& def) const {
    const Document doc = loadForReading(resolvePath(m_fileName));
    qsizetype i = doc.findKey(section, ident);
    return i < 0 ? def : unquoted(doc.lines[i].value);
}

void TIniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
    const QString path = resolvePath(m_fileName);
    checkNames(path, section, &ident);
    Document doc = loadForWriting(path);
    const QByteArray encodedValue = encodeValue(value);

    const QByteArray eol = doc.lineEnd();
    qsizetype header = doc.findSection(section);
    if (header < 0) {
        doc.terminateLastLine();
        if (!doc.lines.isEmpty() && !doc.lines.last().raw.trimmed().isEmpty())
            doc.lines.append(classify({}, eol));
        doc.lines.append(classify('[' + cp1250::encode(section.trimmed()) + ']', eol));
        doc.lines.append(classify(cp1250::encode(ident.trimmed()) + '=' + encodedValue, eol));
        save(path, doc);
        return;
    }

    qsizetype existing = doc.findKey(section, ident);
    if (existing >= 0) {
        Line& line = doc.lines[existing];
        // The key keeps the spelling it has in the file.
        const QByteArray key = line.raw.left(line.raw.indexOf('=')).trimmed();
        line = classify(key + '=' + encodedValue, line.eol);
        save(path, doc);
        return;
    }

    const qsizetype end = doc.sectionEnd(header);
    qsizetype after = -1;
    for (qsizetype i = header + 1; i < end; ++i)
        if (doc.lines[i].kind == Line::Key) after = i;
    if (after < 0) {
        after = header;
        for (qsizetype i = header + 1; i < end; ++i)
            if (!doc.lines[i].raw.trimmed().isEmpty()) after = i;
    }
    if (doc.lines[after].eol.isEmpty()) doc.lines[after].eol = eol;
    doc.lines.insert(after + 1, classify(cp1250::encode(ident.trimmed()) + '=' + encodedValue, eol));
    save(path, doc);
}

int TIniFile::ReadInteger(const QString& section, const QString& ident, int def) const {
    bool ok = false;
    int value = ReadString(section, ident, QString()).toInt(&ok, 10);
    return ok ? value : def;
}

void TIniFile::WriteInteger(const QString& section, const QString& ident, int value) {
    WriteString(section, ident, QString::number(value));
}

bool TIniFile::ReadBool(const QString& section, const QString& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const QString& section, const QString& ident, bool value) {
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QDateTime TIniFile::ReadDateTime(const QString& section, const QString& ident, const QDateTime& def) const {
    const QString text = ReadString(section, ident, QString());
    if (text.isEmpty()) return def;
    auto parsed = czech::parseDateTime(text);
    return parsed ? *parsed : def;
}

void TIniFile::WriteDateTime(const QString& section, const QString& ident, const QDateTime& value) {
    WriteString(section, ident, czech::formatDateTime(value));
}

void TIniFile::EraseSection(const QString& section) {
    const QString path = resolvePath(m_fileName);
    if (!QFileInfo::exists(path)) return;
    Document doc = loadForWriting(path);
    qsizetype header = doc.findSection(section);
    if (header < 0) return;
    while (header >= 0) {
        doc.lines.remove(header, doc.sectionEnd(header) - header);
        header = doc.findSection(section, header);
    }
    save(path, doc);
}

void TIniFile::WriteSection(const QString& section, const QList<QPair<QString, QString>>& values) {
    const QString path = resolvePath(m_fileName);
    checkNames(path, section, nullptr);
    for (const auto& [ident, value] : values)
        checkNames(path, section, &ident);
    Document doc = loadForWriting(path);

    const QByteArray eol = doc.lineEnd();
    QList<Line> block{classify('[' + cp1250::encode(section.trimmed()) + ']', eol)};
    for (const auto& [ident, value] : values)
        block.append(classify(cp1250::encode(ident.trimmed()) + '=' + encodeValue(value), eol));

    qsizetype at = doc.findSection(section);
    if (at < 0) {
        doc.terminateLastLine();
        if (!doc.lines.isEmpty() && !doc.lines.last().raw.trimmed().isEmpty())
            block.prepend(classify({}, eol));
        at = doc.lines.size();
    } else {
        for (qsizetype header = at; header >= 0; header = doc.findSection(section, header))
            doc.lines.remove(header, doc.sectionEnd(header) - header);
        // The removed section's blank lines went with it; one keeps it apart from what follows.
        if (at < doc.lines.size()) block.append(classify({}, eol));
    }
    for (qsizetype i = 0; i < block.size(); ++i)
        doc.lines.insert(at + i, block[i]);
    save(path, doc);
}

void TIniFile::DeleteKey(const QString& section, const QString& ident) {
    const QString path = resolvePath(m_fileName);
    if (!QFileInfo::exists(path)) return;
    Document doc = loadForWriting(path);
    qsizetype i = doc.findKey(section, ident);
    if (i < 0) return;
    // Later duplicates of the key would otherwise show through once the first is gone.
    while (i >= 0) {
        doc.lines.removeAt(i);
        i = doc.findKey(section, ident);
    }
    save(path, doc);
}

bool TIniFile::SectionExists(const QString& section) const {
    return loadForReading(resolvePath(m_fileName)).findSection(section) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& ident) const {
    return loadForReading(resolvePath(m_fileName)).findKey(section, ident) >= 0;
}

QStringList TIniFile::ReadSection(const QString& section) const {
    const Document doc = loadForReading(resolvePath(m_fileName));
    QStringList keys;
    qsizetype header = doc.findSection(section);
    if (header < 0) return keys;
    for (qsizetype i = header + 1, end = doc.sectionEnd(header); i < end; ++i)
        if (doc.lines[i].kind == Line::Key) keys.append(doc.lines[i].name);
    return keys;
}

QStringList TIniFile::ReadSections() const {
    const Document doc = loadForReading(resolvePath(m_fileName));
    QStringList sections;
    for (const Line& line : doc.lines)
        if (line.kind == Line::Section) sections.append(line.name);
    return sections;
}

} // namespace kvor
