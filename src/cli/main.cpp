// zentory-cli: the directory queries from a console, for scripts and for
// checking a domain without a display. One item per line, UTF-8; messages go
// to standard error and a failure ends with a non-zero exit code.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTimeZone>

#include <cstdio>
#include <termios.h>
#include <unistd.h>

#include "CompareCommands.h"
#include "Console.h"
#include "Decoding.h"
#include "DirectorySession.h"
#include "Ordering.h"
#include "Queries.h"
#include "Records.h"
#include "SambaBackend.h"
#include "StatusText.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

// Dates as UTC, sortable; "Never" and empty as the windows show them.
QString dateText(tyDateTime value, bool expiry) {
    const double day = std::trunc(value);
    if (day == 0) {
        return {};
    }
    if (expiry && day == kDateNever) {
        return QStringLiteral("Never");
    }
    const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), QTimeZone::utc());
    const qint64 ms = qint64(std::llround(value * 86400000.0));
    return epoch.addMSecs(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void printUserInfo(const tyUserInfo3& u) {
    auto line = [](const char* key, const QString& value) {
        out(QString::fromLatin1(key) + " = " + value);
    };
    auto num = [](uint32_t v) { return QString::number(v); };
    auto flag = [](bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); };
    line("Name", q(u.Name));
    line("PasswordAge", num(u.PasswordAge));
    line("Priv", q(u.Priv));
    line("HomeDir", q(u.HomeDir));
    line("Comment", q(u.Comment));
    for (const auto& f : kUi3FlagFields) {
        out("Flag " + QString::fromLatin1(f.name.data(), qsizetype(f.name.size())) + " = " +
            flag(u.Flags.*f.field));
    }
    line("ScriptPath", q(u.ScriptPath));
    for (const auto& f : kUi3AuthFlagFields) {
        out("AuthFlags " + QString::fromLatin1(f.name.data(), qsizetype(f.name.size())) + " = " +
            flag(u.AuthFlags.*f.field));
    }
    line("FullName", q(u.FullName));
    line("UsrComment", q(u.UsrComment));
    line("Workstations", q(u.Workstations));
    line("LastLogon", dateText(u.LastLogon, false));
    line("LastLogoff", dateText(u.LastLogoff, false));
    line("AcctExpires", dateText(u.AcctExpires, true));
    line("MaxStorage", u.MaxStorage == net::UserMaxStorageUnlimited ? QStringLiteral("Unlimited")
                                                                     : num(u.MaxStorage));
    line("UnitsPerWeek", q(u.UnitsPerWeek));
    line("LogonHours", num(u.LogonHours));
    line("BadPwCount", num(u.BadPwCount));
    line("NumLogons", num(u.NumLogons));
    line("LogonServer", q(u.LogonServer));
    line("CountryCode", num(u.CountryCode));
    line("CodePage", num(u.CodePage));
    line("UserId", num(u.UserId));
    line("PrimaryGroupId", num(u.PrimaryGroupId));
    line("Profile", q(u.Profile));
    line("HomeDirDrive", q(u.HomeDirDrive));
    line("PasswordExpired", num(u.PasswordExpired));
}

// Samba's tools ask for a missing password on the terminal, without echo.
bool askPassword(const QString& account, std::string& password) {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty) {
        return false;
    }
    std::fprintf(tty, "Password for %s: ", account.toUtf8().constData());
    std::fflush(tty);
    termios old{};
    const int fd = fileno(tty);
    const bool haveTerm = tcgetattr(fd, &old) == 0;
    if (haveTerm) {
        termios quiet = old;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    char buf[1024];
    const bool ok = std::fgets(buf, sizeof buf, tty) != nullptr;
    if (haveTerm) {
        tcsetattr(fd, TCSAFLUSH, &old);
    }
    std::fprintf(tty, "\n");
    std::fclose(tty);
    if (!ok) {
        return false;
    }
    password = buf;
    while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) {
        password.pop_back();
    }
    return true;
}

const char* kCommands =
    "Commands:\n"
    "  domain            The domain and its domain controller.\n"
    "  users             Every user account, one name per line.\n"
    "  groups            Every global group: name, a tab, its comment.\n"
    "  members GROUP     The members of a global group.\n"
    "  groups-of USER    The global groups of a user.\n"
    "  info USER         The user's account details, one \"Field = value\" per line;\n"
    "                    dates in UTC.\n"
    "  compare-groups GROUP...\n"
    "                    The members of several groups side by side, as CSV.\n"
    "  compare-users USER...\n"
    "                    The groups of several users side by side, as CSV.\n"
    "  compare-attributes USER...\n"
    "                    The account attributes of several users side by side, as CSV.\n"
    "\n"
    "The comparisons write the CSV file that the comparison window saves (UTF-8\n"
    "with a byte-order mark, CR LF line ends), to standard output or to the file\n"
    "of -o. Their names come from the command line and from the name list file of\n"
    "--names (one name per line). Which details and attributes they show is taken\n"
    "from Zentory's settings (the Comparison and Check tabs of its configuration).\n"
    "\n"
    "Without --directory, the domain controller of the machine's domain is asked\n"
    "(smb.conf workgroup and realm, krb5.conf default_realm), signing in with the\n"
    "user's Kerberos ticket unless -U or -A names another account.";

int runCommand(const QString& command, const QStringList& args, DirectoryQueries& queries,
               StatusWatch& watch, ConsoleReporter& reporter) {
    const std::u16string domain = queries.GetDomainName();
    std::u16string dc = queries.GetDCName(domain);
    const bool noController = dc == kDCNotFoundMarker || dc.empty();
    if (dc == kDCNotFoundMarker) {
        dc.clear();
    }
    if (command == "domain") {
        out("Domain = " + q(domain));
        out("Domain controller = " + q(dc));
        if (noController) {
            err("Could not find domain controller for the domain \"" + q(domain) + "\".");
            return kExitFailure;
        }
        return 0;
    }
    if (noController) {
        err("Could not find domain controller for the domain \"" + q(domain) + "\".");
        return kExitFailure;
    }
    auto failed = [&](const QString& what) {
        if (watch.lastFailure() != net::Success) {
            err(what + ": " + q(StatusText(watch.lastFailure())));
            return true;
        }
        return false;
    };
    watch.reset();
    if (command == "users") {
        tyArrUsers users;
        queries.GetUsers(dc, users);
        if (failed("cannot list the users")) {
            return kExitFailure;
        }
        SortUsers(users, 0, 0);
        for (const auto& u : users) {
            out(q(u));
        }
        return 0;
    }
    if (command == "groups") {
        tyArrGroup1 groups;
        queries.GetGroups(dc, groups);
        if (failed("cannot list the groups")) {
            return kExitFailure;
        }
        SortGroups(groups, 0, 0);
        for (const auto& g : groups) {
            out(q(g.Name) + '\t' + q(g.Comment));
        }
        return 0;
    }
    if (command == "members" || command == "groups-of") {
        tyArrGroupUsersInfo1 entries;
        const std::u16string name = args.value(0).toStdU16String();
        if (command == "members") {
            queries.GetGroupUsers(dc, name, entries);
        } else {
            queries.GetUserGroups(dc, name, entries);
        }
        if (failed(command == "members" ? "cannot list the members of \"" + args.value(0) + "\""
                                        : "cannot list the groups of \"" + args.value(0) + "\"")) {
            return kExitFailure;
        }
        tyArrUsers names;
        for (const auto& e : entries) {
            names.push_back(e.Name);
        }
        SortUsers(names, 0, 0);
        for (const auto& n : names) {
            out(q(n));
        }
        return 0;
    }
    if (command == "info") {
        tyUserInfo3 info;
        queries.ReadUserInfo3(dc, args.value(0).toStdU16String(), info);
        if (reporter.errors > 0) {
            return kExitFailure;
        }
        printUserInfo(info);
        return 0;
    }
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentory-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZENTORY_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads the users and global groups of a Windows domain.\n\n") +
        QString::fromLatin1(kCommands));
    parser.addHelpOption();
    parser.addVersionOption();
    addDirectoryOptions(parser);
    const QCommandLineOption outputOption(
        {"o", "output"}, "The comparisons: write the CSV file to FILE instead of standard output.",
        "FILE");
    const QCommandLineOption namesOption(
        "names", "The comparisons: take the names to compare from FILE, one per line.", "FILE");
    parser.addOption(outputOption);
    parser.addOption(namesOption);
    parser.addPositionalArgument("command",
                                 "domain, users, groups, members, groups-of, info, "
                                 "compare-groups, compare-users or compare-attributes.");
    parser.addPositionalArgument("name",
                                 "The group or user of members, groups-of and info; the groups "
                                 "or users of a comparison.",
                                 "[name...]");
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    const QStringList args = positional.mid(1);
    CompareKind compareKind = CompareKind::GroupsUsers;
    const bool comparison = CompareCommand(command, compareKind);
    const bool needsName = command == "members" || command == "groups-of" || command == "info";
    const bool known = comparison || needsName || command == "domain" || command == "users" ||
                       command == "groups";
    if (!known || (needsName && args.size() != 1) ||
        (!needsName && !comparison && !args.isEmpty())) {
        err(command.isEmpty() ? QStringLiteral("no command given; see --help")
                              : "usage: zentory-cli [options] " +
                                    (needsName ? command + " NAME" : known ? command : "COMMAND") +
                                    "; see --help");
        return kExitUsage;
    }
    if (!comparison && (parser.isSet(outputOption) || parser.isSet(namesOption))) {
        err("--output and --names go with the compare commands; see --help");
        return kExitUsage;
    }

    DirectoryOptions options = directoryOptionsFrom(parser);
    QString error;
    auto session = DirectorySession::open(options, error);
    if (!session) {
        err(error);
        return kExitFailure;
    }
    if (session->samba()) {
        auto creds = session->credentials();
        if (creds && !creds->useKerberos && creds->password.empty() && options.authFile.isEmpty()) {
            std::string password;
            if (!askPassword(session->description(), password)) {
                err("no password for " + session->description() +
                    ": use an authentication file (-A FILE) or a Kerberos ticket (-k)");
                return kExitFailure;
            }
            creds->password = password;
            if (!session->reopenSamba(creds, error)) {
                err(error);
                return kExitFailure;
            }
        }
        std::string detail;
        const uint32_t status = session->samba()->checkLogon(detail);
        if (status != net::Success) {
            err("cannot sign in to the domain " +
                QString::fromStdString(session->samba()->flatDomain()) + ": " +
                q(StatusText(status)));
            const QString why = QString::fromStdString(detail).simplified();
            if (!why.isEmpty()) {
                err("(" + why + ")");
            }
            return kExitFailure;
        }
    }

    ConsoleReporter reporter;
    DirectoryQueries queries(session->backend(), reporter);
    if (comparison) {
        CompareRequest request;
        request.kind = compareKind;
        request.names = args;
        request.namesFile = parser.value(namesOption);
        request.outputFile = parser.value(outputOption);
        return RunComparison(request, queries, session->watch(), reporter);
    }
    return runCommand(command, args, queries, session->watch(), reporter);
}
