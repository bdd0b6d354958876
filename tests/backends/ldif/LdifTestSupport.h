// Helpers of the ldif back-end's tests: where the fixtures are, and small
// LDIF files written for one test case.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "Records.h"
#include "TestSupport.h"

// The source tree: as CTest names it, or as the build saw it when the test
// program is started by hand.
inline QString sourcePath(const QString& relative) {
    const QString root = qEnvironmentVariable("ZENTORY_SOURCE_DIR",
                                              QStringLiteral(QT_TESTCASE_SOURCEDIR "/.."));
    return root + "/" + relative;
}

inline QString fixturePath(const QString& name) {
    return sourcePath("tests/backends/ldif/" + name);
}

// Writes content to NAME in the folder and gives the file's path.
inline QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

inline QStringList namesOf(const tyArrUsers& users) {
    QStringList r;
    for (const auto& u : users) {
        r << q(u);
    }
    return r;
}

inline QStringList namesOf(const tyArrGroupUsersInfo1& entries) {
    QStringList r;
    for (const auto& e : entries) {
        r << q(e.Name);
    }
    return r;
}

inline QStringList namesOf(const tyArrGroup1& groups) {
    QStringList r;
    for (const auto& g : groups) {
        r << q(g.Name);
    }
    return r;
}
