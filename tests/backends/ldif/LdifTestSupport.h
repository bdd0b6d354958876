// Helpers of the ldif back-end's tests: where the fixtures are, and small
// LDIF files written for one test case.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "Records.h"
#include "TestSupport.h"

// The source tree: as CTest names it, or as the build saw it when the test
// program is started by hand.
inline QString sourcePath(const QString& relative) {
    const QString root =
        qEnvironmentVariable("ZENTORY_SOURCE_DIR", QStringLiteral(QT_TESTCASE_SOURCEDIR "/.."));
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

// A date-time as seconds since 1970, "none" or "never".
inline QString dateText(tyDateTime d) {
    if (d == kDateNone) {
        return "none";
    }
    if (d == kDateNever) {
        return "never";
    }
    return QString::number(qRound64((d - kUnixEpochDay) * 86400.0));
}

template <class Record, size_t N>
QString flagsText(const std::array<FlagField<Record>, N>& fields, const Record& r) {
    QStringList set;
    for (const auto& f : fields) {
        if (r.*f.field) {
            set << QString::fromLatin1(f.name.data(), qsizetype(f.name.size()));
        }
    }
    return set.join('|');
}

inline QString fieldText(const tyUserInfo3& u, const QString& field) {
    const QHash<QString, QString> fields = {
        {"Name", q(u.Name)},
        {"PasswordAge", QString::number(u.PasswordAge)},
        {"Priv", q(u.Priv)},
        {"HomeDir", q(u.HomeDir)},
        {"Comment", q(u.Comment)},
        {"Flags", flagsText(kUi3FlagFields, u.Flags)},
        {"ScriptPath", q(u.ScriptPath)},
        {"AuthFlags", flagsText(kUi3AuthFlagFields, u.AuthFlags)},
        {"FullName", q(u.FullName)},
        {"UsrComment", q(u.UsrComment)},
        {"Workstations", q(u.Workstations)},
        {"LastLogon", dateText(u.LastLogon)},
        {"LastLogoff", dateText(u.LastLogoff)},
        {"AcctExpires", dateText(u.AcctExpires)},
        {"MaxStorage", QString::number(u.MaxStorage)},
        {"UnitsPerWeek", q(u.UnitsPerWeek)},
        {"LogonHours", QString::number(u.LogonHours)},
        {"BadPwCount", QString::number(u.BadPwCount)},
        {"NumLogons", QString::number(u.NumLogons)},
        {"LogonServer", q(u.LogonServer)},
        {"CountryCode", QString::number(u.CountryCode)},
        {"CodePage", QString::number(u.CodePage)},
        {"UserId", QString::number(u.UserId)},
        {"PrimaryGroupId", QString::number(u.PrimaryGroupId)},
        {"Profile", q(u.Profile)},
        {"HomeDirDrive", q(u.HomeDirDrive)},
        {"PasswordExpired", QString::number(u.PasswordExpired)},
    };
    if (!fields.contains(field)) {
        qFatal("no field %s", qPrintable(field));
    }
    return fields.value(field);
}
