// Zentory: the users and global groups of a Windows domain, both ways
// round, with every detail of an account and side-by-side comparisons.

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>

#include "BoxReporter.h"
#include "DesktopServices.h"
#include "DirectorySession.h"
#include "Queries.h"
#include "SambaBackend.h"
#include "SettingsFile.h"
#include "SignInDialog.h"
#include "ZentoryBuild.h"
#include "uAbout102.h"
#include "uAdvCompare.h"
#include "uCompare.h"
#include "uConfig.h"
#include "uIncMatomo.h"
#include "uMain.h"
#include "uShowUSER_INFO_3.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zentory"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zentory"));
    QApplication::setApplicationVersion(QStringLiteral(ZENTORY_VERSION));
    QApplication::setOrganizationDomain(QStringLiteral("zentory.example"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the users and global groups of a Windows domain: from a group to its members, "
        "from a user to the user's groups, every detail of an account, and comparisons of "
        "several groups or users side by side.\n\n"
        "Without --directory it reads the domain of this machine (smb.conf workgroup and "
        "realm, krb5.conf default_realm) from its domain controller, signing in with the "
        "Kerberos ticket of the current user, the account of -A FILE, or the account typed "
        "into the sign-in window."));
    parser.addHelpOption();
    parser.addVersionOption();
    addDirectoryOptions(parser);
    parser.process(app);

    const DirectoryOptions options = directoryOptionsFrom(parser);
    QtDesktopServices desktop;
    QString error;
    auto session = DirectorySession::open(options, error);
    if (!session) {
        std::fprintf(stderr, "zentory: %s\n", error.toUtf8().constData());
        desktop.error(nullptr, error);
        return 1;
    }
    if (session->samba()) {
        // The dialog comes first when nothing can sign in without it: no
        // authentication file, and no ticket or a named account without its
        // password.
        const auto& c = session->credentials();
        const bool hasAccount = !options.authFile.isEmpty() || (c && c->useKerberos) ||
                                (!c && !DefaultTicketPrincipal().empty());
        if (!SignIn(*session, !hasAccount)) {
            return 0;
        }
    }

    BoxReporter reporter(desktop);
    DirectoryQueries queries(session->backend(), reporter);
    SettingsFile settings;
    TfrmMain frmMain(queries, desktop, &settings);
    reporter.setParent(&frmMain);
    frmMain.SendUsagePing = [] { SendUsagePing(); };
    frmMain.ShowAbout = [](MainServices& main) { ShowAbout(main.window(), main.desktop()); };
    frmMain.ShowUserInfo3 = ShowUserInfo3;
    frmMain.CompareUsersGroups = &::CompareUsersGroups;
    frmMain.CompareUsersAttributes = &::CompareUsersAttributes;
    frmMain.CompareGroupsUsers = &::CompareGroupsUsers;
    frmMain.ConfigurationDialog = EditConfiguration;
    frmMain.ShowAdvancedComparison = [](MainServices& main, const QString& server) {
        ShowAdvancedComparison(main, server);
    };
    frmMain.hooksChanged();
    frmMain.show();
    return app.exec();
}
