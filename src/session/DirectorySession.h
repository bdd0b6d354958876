// Which directory a run reads and how it signs in: the command-line options
// that both front ends share, and the back-end they open.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <memory>

#include "NetApi.h"
#include "StatusText.h"

#include "SambaConfig.h"

class SambaBackend;

struct DirectoryOptions {
    QString directoryFile;  // --directory FILE: an LDIF export
    QString user;           // -U DOMAIN\user
    QString authFile;       // -A FILE
    bool kerberos = false;  // -k
    QString server;         // --server NAME
};

// Adds the options to a parser; reads them back after it parsed.
void addDirectoryOptions(QCommandLineParser& parser);
DirectoryOptions directoryOptionsFrom(const QCommandLineParser& parser);

class DirectorySession {
public:
    enum class Kind { Ldif, Samba };

    ~DirectorySession();

    // Opens the LDIF file, or prepares the platform's back-end. A front end
    // that can ask for a password checks the logon itself (samba); nothing
    // is asked here. Null, with the reason in error, when it cannot open.
    static std::unique_ptr<DirectorySession> open(const DirectoryOptions& options,
                                                  QString& error);

    Kind kind() const { return m_kind; }
    // The back-end the queries use: the real one behind a status watch.
    DirectoryBackend& backend() { return *m_watch; }
    StatusWatch& watch() { return *m_watch; }
    // One line for a title bar or a log: "demo.ldif", "ZENTORY as jdoe".
    QString description() const { return m_description; }

    // The samba back-end, or null.
    SambaBackend* samba() const { return m_samba; }
    // The account the samba back-end signs in with, as the options gave it
    // (none: the Kerberos ticket).
    const std::optional<SambaCredentials>& credentials() const { return m_credentials; }
    // Makes a new samba back-end for other credentials (after the sign-in
    // dialog); the old one is gone afterwards.
    bool reopenSamba(const std::optional<SambaCredentials>& credentials, QString& error);

private:
    DirectorySession() = default;

    Kind m_kind = Kind::Ldif;
    std::unique_ptr<DirectoryBackend> m_backend;
    std::unique_ptr<StatusWatch> m_watch;
    QString m_description;
    SambaBackend* m_samba = nullptr;
    std::optional<SambaCredentials> m_credentials;
    QString m_server;
};
