#include "NameList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <algorithm>

namespace {

QStringList splitLines(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines << text.mid(start, i - start);
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < n) {
        lines << text.mid(start);
    }
    return lines;
}

QString cannotOpen(const QString& path, QString reason) {
    if (!reason.isEmpty() && !reason.endsWith(u'.')) {
        reason += u'.';
    }
    return QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason);
}

}  // namespace

QStringList DecodeNameList(QByteArrayView bytes) {
    auto encoding = QStringConverter::System;
    qsizetype bom = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        encoding = QStringConverter::Utf8;
        bom = 3;
    } else if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        bom = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        bom = 2;
    }
    // The mark has been taken off already; a second one is text. Stateless:
    // an odd last byte of UTF-16 or a cut-off UTF-8 sequence at the end
    // becomes U+FFFD instead of being held back for input that never comes.
    QStringDecoder decoder(encoding,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes.sliced(bom));
    return splitLines(text);
}

bool ReadNameList(const QString& path, QStringList& lines, QString& error) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        error = cannotOpen(path, QStringLiteral("It is not a regular file"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = cannotOpen(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = cannotOpen(path, file.errorString());
        return false;
    }
    lines = DecodeNameList(bytes);
    return true;
}

QStringView TrimNameLine(QStringView line) {
    qsizetype b = 0;
    qsizetype e = line.size();
    while (b < e && line[b].unicode() <= 0x20) {
        ++b;
    }
    while (e > b && line[e - 1].unicode() <= 0x20) {
        --e;
    }
    return line.sliced(b, e - b);
}

QString NameListKey(QStringView text) {
    return text.toString().toCaseFolded();
}

NameListMatch MatchNameList(const QStringList& lines, const QStringList& entries) {
    // Per key, the entries that have it in list order, and how many of them
    // earlier lines have taken: the first one left is the one a search of
    // the list from its top would find.
    struct Candidates {
        std::vector<int> rows;
        size_t next = 0;
    };
    QHash<QString, Candidates> byKey;
    byKey.reserve(entries.size());
    for (int i = 0; i < int(entries.size()); ++i) {
        byKey[NameListKey(entries[i])].rows.push_back(i);
    }
    NameListMatch match;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const auto it = byKey.find(NameListKey(TrimNameLine(lines[i])));
        if (it != byKey.end() && it->next < it->rows.size()) {
            match.taken.push_back(it->rows[it->next++]);
        } else {
            match.notFound << lines[i];
        }
    }
    std::reverse(match.notFound.begin(), match.notFound.end());
    return match;
}
