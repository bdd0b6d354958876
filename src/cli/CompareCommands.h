// zentory-cli's comparisons: compare-groups, compare-users and
// compare-attributes write the CSV file of the comparison window, byte for
// byte the same for the same accounts and the same settings.
#pragma once

#include <QString>
#include <QStringList>

class ConsoleReporter;
class DirectoryQueries;
class StatusWatch;

enum class CompareKind { GroupsUsers, UsersGroups, UsersAttributes };

// The comparison command of a command name, if it is one.
bool CompareCommand(const QString& command, CompareKind& kind);

struct CompareRequest {
    CompareKind kind = CompareKind::GroupsUsers;
    QStringList names;   // from the command line
    QString namesFile;   // --names: one name per line
    QString outputFile;  // -o: empty for standard output
};

// Runs one comparison: the start-up load the main window does, the user's
// settings (read, never written), the table, the CSV. Messages go to
// standard error; the result is the exit code.
int RunComparison(const CompareRequest& request, DirectoryQueries& queries, StatusWatch& watch,
                  const ConsoleReporter& reporter);
