#include "CompareCommands.h"

#include <QSet>
#include <cstdio>
#include <exception>

#include "CompareCsv.h"
#include "CompareTable.h"
#include "Config.h"
#include "Console.h"
#include "DirectoryAccounts.h"
#include "NameList.h"
#include "Ordering.h"
#include "SettingsStore.h"
#include "StatusText.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

bool forGroups(CompareKind kind) {
    return kind == CompareKind::GroupsUsers;
}

// The settings the window would use: the user's stored ones over the
// defaults. A value that cannot be read keeps what was read before it, as
// in the window, and is reported.
tyConfig userSettings() {
    tyConfig config;
    SetDefaultConfigValues(config, CurrentDate());
    tyListFont font;
    try {
        SettingsStore().LoadConfig(config, font,
                                   VersionCode(ZENTORY_VERSION_MAJOR, ZENTORY_VERSION_MINOR));
    } catch (const std::exception& e) {
        err("settings: " + QString::fromUtf8(e.what()));
    }
    return config;
}

// The names of the command line, then those of the file, each taken out of
// a list item the way the windows take it ("name   (detail)" gives name).
bool requestedNames(const CompareRequest& r, QStringList& names) {
    names.clear();
    QStringList lines = r.names;
    if (!r.namesFile.isEmpty()) {
        QStringList fileLines;
        QString error;
        if (!ReadNameList(r.namesFile, fileLines, error)) {
            err(error);
            return false;
        }
        lines += fileLines;
    }
    for (const QString& line : lines) {
        const std::u16string item = TrimNameLine(line).toString().toStdU16String();
        const std::u16string name =
            forGroups(r.kind) ? ExtractGroupName(item) : ExtractUserName(item);
        if (!name.empty()) {
            names << q(name);
        }
    }
    return true;
}

}  // namespace

bool CompareCommand(const QString& command, CompareKind& kind) {
    if (command == QLatin1String("compare-groups")) {
        kind = CompareKind::GroupsUsers;
    } else if (command == QLatin1String("compare-users")) {
        kind = CompareKind::UsersGroups;
    } else if (command == QLatin1String("compare-attributes")) {
        kind = CompareKind::UsersAttributes;
    } else {
        return false;
    }
    return true;
}

int RunComparison(const CompareRequest& request, DirectoryQueries& queries, StatusWatch& watch,
                  const ConsoleReporter& reporter) {
    QStringList names;
    if (!requestedNames(request, names)) {
        return kExitFailure;
    }
    if (names.isEmpty()) {
        err(forGroups(request.kind) ? QStringLiteral("Select at least one group.")
                                    : QStringLiteral("Select at least one user."));
        return kExitUsage;
    }

    DirectoryAccounts accounts(queries, userSettings());
    watch.reset();
    if (!accounts.Load()) {
        err("Could not find domain controller for the domain \"" + accounts.domainName() + "\".");
        return kExitFailure;
    }
    if (watch.lastFailure() != net::Success) {
        err("cannot list the users and groups: " + q(StatusText(watch.lastFailure())));
        return kExitFailure;
    }

    // Only accounts the domain lists, under the names it lists them by: the
    // windows offer nothing else, and a mistyped name would otherwise make a
    // row without a mark that looks like an answer.
    QStringList unknown;
    tyArrGroup1 groups;
    tyArrUsers users;
    for (const QString& name : names) {
        const QString listed = forGroups(request.kind) ? accounts.ListedGroupName(name)
                                                       : accounts.ListedUserName(name);
        if (listed.isEmpty()) {
            unknown << name;
        } else if (forGroups(request.kind)) {
            groups.push_back(
                {listed.toStdU16String(), accounts.GetGroupComment(listed).toStdU16String()});
        } else {
            users.push_back(listed.toStdU16String());
        }
    }
    for (const QString& name : unknown) {
        err((forGroups(request.kind) ? "no group \"" : "no user \"") + name + "\" in the domain");
    }
    if (!unknown.isEmpty()) {
        return kExitFailure;
    }

    watch.reset();
    const int errorsBefore = reporter.errors;
    tyCompareTable table;
    switch (request.kind) {
        case CompareKind::GroupsUsers:
            table = BuildGroupsUsers(accounts, accounts.dcName(), groups);
            break;
        case CompareKind::UsersGroups:
            table = BuildUsersGroups(accounts, accounts.dcName(), users);
            break;
        case CompareKind::UsersAttributes:
            table = BuildUsersAttributes(accounts, users);
            break;
    }
    // The window shows a row without marks, or an empty record, when a query
    // fails; a script gets to know.
    if (watch.lastFailure() != net::Success) {
        err("cannot read the comparison: " + q(StatusText(watch.lastFailure())));
        return kExitFailure;
    }
    if (reporter.errors != errorsBefore) {
        return kExitFailure;
    }

    if (!request.outputFile.isEmpty()) {
        QString error;
        if (!WriteCompareCsv(table, request.outputFile, error)) {
            err(error);
            return kExitFailure;
        }
        return 0;
    }
    const QByteArray bytes = CompareTableCsv(table);
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
        std::fflush(stdout) != 0) {
        err(QStringLiteral("cannot write to standard output"));
        return kExitFailure;
    }
    return 0;
}
