#include "DirectorySession.h"

#include <QFileInfo>

#include "LdifBackend.h"
#include "SambaBackend.h"

void addDirectoryOptions(QCommandLineParser& parser) {
    parser.addOption({"directory",
                      "Read the directory from an LDIF export of an Active Directory domain "
                      "(ldifde -f or ldapsearch) instead of a domain controller.",
                      "FILE"});
    parser.addOption({{"U", "user"},
                      "Sign in as this account: DOMAIN\\user, user@REALM or user. The password "
                      "is never taken from the command line.",
                      "DOMAIN\\user"});
    parser.addOption({{"A", "authentication-file"},
                      "Sign in with the account of a Samba authentication file (lines "
                      "username = ..., password = ..., domain = ...).",
                      "FILE"});
    parser.addOption({{"k", "kerberos"}, "Sign in with the Kerberos ticket of the current user."});
    parser.addOption({"server",
                      "Use this domain controller instead of finding one through DNS.", "NAME"});
}

DirectoryOptions directoryOptionsFrom(const QCommandLineParser& parser) {
    DirectoryOptions o;
    o.directoryFile = parser.value("directory");
    o.user = parser.value("user");
    o.authFile = parser.value("authentication-file");
    o.kerberos = parser.isSet("kerberos");
    o.server = parser.value("server");
    return o;
}

DirectorySession::~DirectorySession() {
    m_watch.reset();
    m_backend.reset();
}

std::unique_ptr<DirectorySession> DirectorySession::open(const DirectoryOptions& options,
                                                         QString& error) {
    std::unique_ptr<DirectorySession> s(new DirectorySession);
    if (!options.directoryFile.isEmpty()) {
        try {
            s->m_backend =
                std::make_unique<LdifBackend>(QFile::encodeName(options.directoryFile).toStdString());
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
            return nullptr;
        }
        s->m_kind = Kind::Ldif;
        s->m_description = QFileInfo(options.directoryFile).fileName();
        s->m_watch = std::make_unique<StatusWatch>(*s->m_backend);
        return s;
    }

    s->m_kind = Kind::Samba;
    s->m_server = options.server;
    if (!options.authFile.isEmpty()) {
        std::string why;
        auto c = ReadAuthFile(QFile::encodeName(options.authFile).toStdString(), why);
        if (!c) {
            error = QString::fromStdString(why);
            return nullptr;
        }
        s->m_credentials = *c;
    } else if (!options.user.isEmpty()) {
        std::string why;
        auto c = ParseUserOption(options.user.toStdString(), why);
        if (!c) {
            error = QString::fromStdString(why);
            return nullptr;
        }
        s->m_credentials = *c;
    }
    if (options.kerberos && s->m_credentials) {
        // -k with -U: the ticket of that user; the name only picks the domain.
        s->m_credentials->useKerberos = true;
    }
    if (!s->reopenSamba(s->m_credentials, error)) {
        return nullptr;
    }
    return s;
}

bool DirectorySession::reopenSamba(const std::optional<SambaCredentials>& credentials,
                                   QString& error) {
    m_watch.reset();
    m_backend.reset();
    m_samba = nullptr;
    m_credentials = credentials;
    SambaOptions o;
    o.credentials = credentials;
    o.server = m_server.toStdString();
    auto samba = std::make_unique<SambaBackend>(o);
    std::string why;
    if (!samba->start(why)) {
        error = QString::fromStdString(why);
        return false;
    }
    m_samba = samba.get();
    m_backend = std::move(samba);
    m_watch = std::make_unique<StatusWatch>(*m_backend);
    if (credentials && !credentials->useKerberos) {
        m_description = QString::fromStdString(
            (credentials->domain.empty() ? std::string() : credentials->domain + "\\") +
            credentials->user);
    } else {
        m_description = QStringLiteral("Kerberos ticket");
    }
    return true;
}
