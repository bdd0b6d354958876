#include "IniFile.h"

#include <QFile>
#include <QStringDecoder>

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

QStringView trimBlanks(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(s[end - 1])) {
        --end;
    }
    return s.sliced(begin, end - begin);
}

QString decode(const QByteArray& data) {
    if (data.startsWith("\xFF\xFE")) {
        return QStringDecoder(QStringConverter::Utf16LE).decode(data.sliced(2));
    }
    if (data.startsWith("\xFE\xFF")) {
        return QStringDecoder(QStringConverter::Utf16BE).decode(data.sliced(2));
    }
    if (data.startsWith("\xEF\xBB\xBF")) {
        return QStringDecoder(QStringConverter::Utf8).decode(data.sliced(3));
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder ansi("windows-1252");
    if (ansi.isValid()) {
        return ansi.decode(data);
    }
    return QString::fromLatin1(data);
}

}  // namespace

IniFile IniFile::fromBytes(const QByteArray& data) {
    IniFile ini;
    const QString text = decode(data);
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') {
            ++end;
        }
        const QStringView line = trimBlanks(QStringView(text).sliced(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == u'\r') {
            ++pos;
        }
        if (pos < text.size() && text[pos] == u'\n') {
            ++pos;
        }
        if (line.isEmpty()) {
            continue;
        }
        if (line.front() == u'[') {
            // Without its closing bracket the rest of the line is the name.
            qsizetype close = line.indexOf(u']');
            if (close < 0) {
                close = line.size();
            }
            ini.m_sections.append({trimBlanks(line.sliced(1, close - 1)).toString(), {}});
            continue;
        }
        if (ini.m_sections.isEmpty()) {
            continue;  // no section to belong to
        }
        const qsizetype eq = line.indexOf(u'=');
        const QStringView key = trimBlanks(eq < 0 ? line : line.first(eq));
        if (key.isEmpty()) {
            continue;
        }
        QStringView value = eq < 0 ? QStringView() : trimBlanks(line.sliced(eq + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front()) {
            value = value.sliced(1, value.size() - 2);
        }
        QString v = value.toString();
        if (v.size() > kProfileValueMax) {
            v.truncate(kProfileValueMax);
            // A cut between the two halves of a character would leave
            // half a character; the system reader returns whole ones too.
            if (v.back().isHighSurrogate()) {
                v.chop(1);
            }
        }
        ini.m_sections.back().entries.append({key.toString(), std::move(v)});
    }
    return ini;
}

IniFile IniFile::load(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return fromBytes(f.readAll());
}

QString IniFile::value(const QString& pSection, const QString& pKey,
                       const QString& pDefault) const {
    for (const auto& s : m_sections) {
        if (s.name.compare(pSection, Qt::CaseInsensitive) != 0) {
            continue;
        }
        for (const auto& e : s.entries) {
            if (e.key.compare(pKey, Qt::CaseInsensitive) == 0) {
                return e.value;
            }
        }
        return pDefault;
    }
    return pDefault;
}

#ifndef Q_OS_WIN
QString ReadProfileString(const QString& pFileName, const QString& pSection, const QString& pKey,
                          const QString& pDefault) {
    return IniFile::load(pFileName).value(pSection, pKey, pDefault);
}
#endif
