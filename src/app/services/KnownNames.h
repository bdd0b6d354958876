// A sorted list of names compared without regard to letter case, also
// outside ASCII, that ignores a name it already holds: the known users and
// the known groups of a run. Held as case-folded texts in a hash: a large
// domain's start-up adds every account once and every list shown asks for
// every member.
#pragma once

#include <QSet>
#include <QString>

class KnownNames {
public:
    void clear() { m_names.clear(); }
    void reserve(qsizetype n) { m_names.reserve(n); }
    void add(const QString& name) { m_names.insert(folded(name)); }
    bool contains(const QString& name) const { return m_names.contains(folded(name)); }
    qsizetype size() const { return m_names.size(); }

private:
    // ASCII names, nearly all of them, fold without the Unicode tables.
    static QString folded(const QString& name) {
        QString r(name.size(), Qt::Uninitialized);
        QChar* out = r.data();
        for (QChar c : name) {
            const char16_t u = c.unicode();
            if (u >= 0x80) {
                return name.toCaseFolded();
            }
            *out++ = QChar(u >= 'A' && u <= 'Z' ? char16_t(u + 32) : u);
        }
        return r;
    }

    QSet<QString> m_names;
};
