// A sorted list of names compared without regard to letter case, also
// outside ASCII, that ignores a name it already holds: the known users and
// the known groups of a run.
#pragma once

#include <QSet>
#include <QString>

class KnownNames {
public:
    void clear() { m_names.clear(); }
    void add(const QString& name) { m_names.insert(name.toCaseFolded()); }
    bool contains(const QString& name) const { return m_names.contains(name.toCaseFolded()); }
    qsizetype size() const { return m_names.size(); }

private:
    QSet<QString> m_names;
};
