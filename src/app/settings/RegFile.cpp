#include "RegFile.h"

#include <QStringDecoder>
#include <algorithm>

#include "SettingsErrors.h"

namespace {

const QString kHeader = QStringLiteral("REGEDIT4");
const QString kCurrentUser = QStringLiteral("HKEY_CURRENT_USER");

// regedit breaks hex lists so that no line is longer than this.
constexpr qsizetype kHexLineWidth = 80;

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isBelow(QStringView path, QStringView ancestor) {
    return path.size() > ancestor.size() && path[ancestor.size()] == u'\\' &&
           sameName(path.first(ancestor.size()), ancestor);
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// A number of 1 to maxDigits hexadecimal digits, the whole of text.
std::optional<uint32_t> parseHex(QStringView text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    uint32_t n = 0;
    for (QChar c : text) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        n = n << 4 | uint32_t(d);
    }
    return n;
}

// A quoted name or text starting at text[pos]; pos ends past the closing
// quotation mark. Nothing when it is not closed or holds another escape
// than \\ and \".
std::optional<QString> parseQuoted(QStringView text, qsizetype& pos) {
    if (pos >= text.size() || text[pos] != u'"') {
        return std::nullopt;
    }
    QString out;
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            pos = i + 1;
            return out;
        }
        if (c == u'\\') {
            if (i + 1 >= text.size() || (text[i + 1] != u'\\' && text[i + 1] != u'"')) {
                return std::nullopt;
            }
            ++i;
        }
        out += text[i];
    }
    return std::nullopt;
}

QString quoted(QStringView text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'\\' || c == u'"') out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

std::vector<uint8_t> utf8Bytes(const QString& text) {
    const QByteArray b = text.toUtf8();
    return std::vector<uint8_t>(b.begin(), b.end());
}

bool hasControlCharacter(QStringView text) {
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
    }
    return false;
}

QStringList hexLines(QString line, const std::vector<uint8_t>& bytes) {
    QStringList lines;
    bool bytesOnLine = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        QString item = QStringLiteral("%1").arg(uint(bytes[i]), 2, 16, QLatin1Char('0'));
        if (i + 1 < bytes.size()) item += u',';
        // Room for the item and for the "\" that continues the line.
        if (bytesOnLine && line.size() + item.size() + 1 > kHexLineWidth) {
            lines << line + u'\\';
            line = QStringLiteral("  ");
        }
        line += item;
        bytesOnLine = true;
    }
    lines << line;
    return lines;
}

// The lines regedit writes for a value.
QStringList valueLines(QStringView name, const RegData& data) {
    const QString head = (name.isEmpty() ? QStringLiteral("@") : quoted(name)) + u'=';
    if (data.type == kRegDword && data.bytes.size() == 4) {
        const uint32_t n = uint32_t(data.bytes[0]) | uint32_t(data.bytes[1]) << 8 |
                           uint32_t(data.bytes[2]) << 16 | uint32_t(data.bytes[3]) << 24;
        return {head + QStringLiteral("dword:%1").arg(n, 8, 16, QLatin1Char('0'))};
    }
    if (data.type == kRegSz) {
        const QString text = QString::fromStdU16String(DecodeRegSz(data.bytes));
        if (!hasControlCharacter(text)) {
            return {head + quoted(text)};
        }
        std::vector<uint8_t> bytes = utf8Bytes(text);
        bytes.push_back(0);
        return hexLines(head + QStringLiteral("hex(1):"), bytes);
    }
    if (data.type == kRegBinary) {
        return hexLines(head + QStringLiteral("hex:"), data.bytes);
    }
    return hexLines(head + QStringLiteral("hex(%1):").arg(data.type, 0, 16), data.bytes);
}

[[noreturn]] void fail(const QString& fileName, int line, const QString& reason) {
    throw SettingsFileError(fileName, line, reason);
}

}  // namespace

RegFile::RegFile() {
    m_entries.push_back({Kind::Header, {kHeader}, {}, {}, {}});
}

namespace {

// The physical lines, each decoded on its own so that a fault has its line.
// lineEnd becomes the first line's end.
QStringList decodeLines(QByteArrayView rest, const QString& fileName, QString& lineEnd) {
    QStringList lines;
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        const bool cr = line.endsWith('\r');
        if (cr) {
            line.chop(1);
        }
        if (lines.isEmpty() && end >= 0) {
            lineEnd = cr ? QStringLiteral("\r\n") : QStringLiteral("\n");
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(line);
        if (decoder.hasError()) {
            if (lines.isEmpty()) {
                fail(fileName, 1, QStringLiteral("the file does not begin with REGEDIT4"));
            }
            fail(fileName, int(lines.size()) + 1, QStringLiteral("the text is not UTF-8"));
        }
        lines << text;
    }
    return lines;
}

const QString kBadEscape = QStringLiteral(", or with an escape other than \\\\ and \\\"");

// The data of a value after its "=", continued lines joined; line is the
// last of them.
RegData parseData(const QString& data, const QString& fileName, int line) {
    if (data.startsWith(u'"')) {
        qsizetype end = 0;
        const auto text = parseQuoted(data, end);
        if (!text || end != data.size()) {
            fail(fileName, line, "a text without its closing quotation mark" + kBadEscape);
        }
        return {kRegSz, EncodeRegSz(text->toStdU16String())};
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const auto n = parseHex(QStringView(data).sliced(6), 8);
        if (!n) {
            fail(fileName, line, QStringLiteral("a dword that is not 1 to 8 hexadecimal digits"));
        }
        return {kRegDword, {uint8_t(*n), uint8_t(*n >> 8), uint8_t(*n >> 16), uint8_t(*n >> 24)}};
    }
    if (!data.startsWith(u"hex", Qt::CaseInsensitive)) {
        fail(fileName, line,
             QStringLiteral("data that is none of \"text\", dword:, hex:, hex(type): and -"));
    }
    const qsizetype colon = data.indexOf(u':');
    const QStringView kind = QStringView(data).first(colon < 0 ? 0 : colon);
    std::optional<uint32_t> type;
    if (sameName(kind, u"hex")) {
        type = kRegBinary;
    } else if (kind.size() > 5 && kind[3] == u'(' && kind.endsWith(u')')) {
        type = parseHex(kind.sliced(4, kind.size() - 5), 8);
    }
    if (colon < 0 || !type) {
        fail(fileName, line, QStringLiteral("hex data without hex: or hex(type):"));
    }
    std::vector<uint8_t> bytes;
    const QStringView list = QStringView(data).sliced(colon + 1);
    if (!list.trimmed().isEmpty()) {
        for (QStringView item : list.split(u',')) {
            const auto b = parseHex(item.trimmed(), 2);
            if (!b) {
                fail(fileName, line,
                     QStringLiteral("hex data with something else than bytes of two hexadecimal "
                                    "digits between the commas"));
            }
            bytes.push_back(uint8_t(*b));
        }
    }
    if (*type == kRegSz) {
        // A text as bytes in the file's own encoding.
        const auto nul = std::find(bytes.begin(), bytes.end(), uint8_t(0));
        const QString text =
            QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), nul - bytes.begin());
        bytes = EncodeRegSz(text.toStdU16String());
    }
    return {*type, std::move(bytes)};
}

}  // namespace

RegFile::Entry RegFile::parseValue(const QStringList& lines, qsizetype& i, const QString& fileName) {
    const QString t = lines[i].trimmed();
    Entry e{Kind::Value, {lines[i]}, {}, {}, {}};
    qsizetype pos = 1;  // past @, the unnamed value
    if (t.startsWith(u'"')) {
        pos = 0;
        const auto name = parseQuoted(t, pos);
        if (!name) {
            fail(fileName, int(i) + 1, "a value name without its closing quotation mark" + kBadEscape);
        }
        e.name = *name;
    }
    const QStringView after = QStringView(t).sliced(pos).trimmed();
    if (!after.startsWith(u'=')) {
        fail(fileName, int(i) + 1, QStringLiteral("no = after the value name"));
    }
    QString data = after.sliced(1).trimmed().toString();
    if (data == u"-") {
        e.kind = Kind::DeletedValue;
        return e;
    }
    // regedit continues long hex lists on lines that end in a backslash.
    if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
        while (data.endsWith(u'\\')) {
            data.chop(1);
            if (++i >= lines.size()) {
                fail(fileName, int(i), QStringLiteral("hex data continuing past the end of the file"));
            }
            e.lines << lines[i];
            data += lines[i].trimmed();
        }
    }
    e.data = parseData(data, fileName, int(i) + 1);
    return e;
}

RegFile RegFile::parse(const QByteArray& bytes, const QString& fileName) {
    RegFile file;
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF")) {
        file.m_byteOrderMark = true;
        rest = rest.sliced(3);
    }
    if (rest.trimmed().isEmpty()) {
        return file;
    }

    const QStringList lines = decodeLines(rest, fileName, file.m_lineEnd);
    if (lines.front().trimmed() != kHeader) {
        fail(fileName, 1, QStringLiteral("the file does not begin with REGEDIT4"));
    }
    file.m_entries = {{Kind::Header, {lines.front()}, {}, {}, {}}};

    bool inKey = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (t.startsWith(u'"') || t.startsWith(u'@')) {
            if (!inKey) {
                fail(fileName, int(i) + 1, QStringLiteral("a value before the first key"));
            }
            file.m_entries.push_back(parseValue(lines, i, fileName));
            continue;
        }
        Entry e{Kind::Blank, {lines[i]}, {}, {}, {}};
        if (t.isEmpty()) {
            e.kind = Kind::Blank;
        } else if (t.startsWith(u';')) {
            e.kind = Kind::Comment;
        } else if (t.startsWith(u'[')) {
            if (!t.endsWith(u']') || t.size() < 3) {
                fail(fileName, int(i) + 1, QStringLiteral("a key without its closing ]"));
            }
            e.path = t.mid(1, t.size() - 2);
            e.kind = e.path.startsWith(u'-') ? Kind::DeletedKey : Kind::Key;
            inKey = true;
        } else {
            fail(fileName, int(i) + 1, QStringLiteral("a line that is not a key, a value or a comment"));
        }
        file.m_entries.push_back(std::move(e));
    }
    return file;
}

QByteArray RegFile::serialize() const {
    QString text;
    for (const Entry& e : m_entries) {
        for (const QString& line : e.lines) {
            text += line;
            text += m_lineEnd;
        }
    }
    QByteArray out = m_byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    return out + text.toUtf8();
}

bool RegFile::keyExists(QStringView path) const {
    for (const Entry& e : m_entries) {
        if (e.kind == Kind::Key && (sameName(e.path, path) || isBelow(e.path, path))) {
            return true;
        }
    }
    return false;
}

int RegFile::lastKeyEntry(QStringView path) const {
    for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
        if (m_entries[i].kind == Kind::Key && sameName(m_entries[i].path, path)) {
            return i;
        }
    }
    return -1;
}

void RegFile::appendKey(QStringView path) {
    if (m_entries.back().kind != Kind::Blank) {
        m_entries.push_back({Kind::Blank, {QString()}, {}, {}, {}});
    }
    m_entries.push_back({Kind::Key, {u'[' + path.toString() + u']'}, path.toString(), {}, {}});
    // regedit closes every key with a blank line.
    m_entries.push_back({Kind::Blank, {QString()}, {}, {}, {}});
}

void RegFile::createKey(QStringView path) {
    if (lastKeyEntry(path) < 0) {
        appendKey(path);
    }
}

std::optional<RegData> RegFile::value(QStringView path, QStringView name) const {
    std::optional<RegData> found;
    bool inKey = false;
    for (const Entry& e : m_entries) {
        if (e.kind == Kind::Key || e.kind == Kind::DeletedKey) {
            inKey = e.kind == Kind::Key && sameName(e.path, path);
        } else if (inKey && e.kind == Kind::Value && sameName(e.name, name)) {
            found = e.data;
        }
    }
    return found;
}

void RegFile::setValue(QStringView path, QStringView name, const RegData& data) {
    int lastValue = -1;
    bool inKey = false;
    for (int i = 0; i < int(m_entries.size()); ++i) {
        const Entry& e = m_entries[i];
        if (e.kind == Kind::Key || e.kind == Kind::DeletedKey) {
            inKey = e.kind == Kind::Key && sameName(e.path, path);
        } else if (inKey && e.kind == Kind::Value && sameName(e.name, name)) {
            lastValue = i;
        }
    }
    if (lastValue >= 0) {
        Entry& e = m_entries[lastValue];
        e.lines = valueLines(e.name, data);
        e.data = data;
        return;
    }

    int key = lastKeyEntry(path);
    if (key < 0) {
        appendKey(path);
        key = lastKeyEntry(path);
    }
    // After the key's last value, before the blank line that closes it.
    int at = key + 1;
    for (int i = key + 1; i < int(m_entries.size()); ++i) {
        const Kind k = m_entries[i].kind;
        if (k == Kind::Key || k == Kind::DeletedKey) break;
        if (k == Kind::Value || k == Kind::DeletedValue) at = i + 1;
    }
    m_entries.insert(m_entries.begin() + at,
                     Entry{Kind::Value, valueLines(name, data), {}, name.toString(), data});
}

namespace {

QString fullPath(std::u16string_view path) {
    return kCurrentUser + u'\\' + QString::fromStdU16String(std::u16string(path));
}

class RegFileKey : public RegistryKey {
public:
    RegFileKey(RegFile& file, QString path) : m_file(file), m_path(std::move(path)) {}

    std::optional<RegData> queryValue(std::u16string_view name) override {
        return m_file.value(m_path, QStringView(name.data(), qsizetype(name.size())));
    }
    bool setValue(std::u16string_view name, const RegData& data) override {
        m_file.setValue(m_path, QStringView(name.data(), qsizetype(name.size())), data);
        return true;
    }

private:
    RegFile& m_file;
    QString m_path;
};

}  // namespace

std::unique_ptr<RegistryKey> RegFileHive::openKey(std::u16string_view path) {
    QString full = fullPath(path);
    if (!m_file.keyExists(full)) {
        return nullptr;
    }
    return std::make_unique<RegFileKey>(m_file, std::move(full));
}

std::unique_ptr<RegistryKey> RegFileHive::createKey(std::u16string_view path) {
    QString full = fullPath(path);
    m_file.createKey(full);
    return std::make_unique<RegFileKey>(m_file, std::move(full));
}
