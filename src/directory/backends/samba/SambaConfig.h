// Where the samba back-end takes the domain and the account from: the
// machine's configuration (smb.conf, krb5.conf, the user's Kerberos ticket)
// and the options of Samba's own tools (-U, -A, -k, --server).
#pragma once

#include <optional>
#include <string>

// What the machine's configuration says about its domain.
struct SambaMachineSettings {
    std::string workgroup;  // smb.conf [global] workgroup (the NetBIOS domain)
    std::string realm;      // smb.conf realm, else krb5.conf default_realm
};

// smb.conf's [global] workgroup and realm; krb5.conf's [libdefaults]
// default_realm when smb.conf gives no realm. Missing files give empty
// values. krb5ConfPaths is a colon-separated list, as KRB5_CONFIG is.
SambaMachineSettings ReadMachineSettings(const std::string& smbConfPath,
                                         const std::string& krb5ConfPaths);

// The account the back-end signs in with.
struct SambaCredentials {
    std::string domain;        // NetBIOS domain of the account; may be empty
    std::string user;          // empty with a Kerberos ticket
    std::string password;      // never from a command line
    bool useKerberos = false;  // use the Kerberos ticket (ccache) instead
};

// Samba's authentication file: "username = ...", "password = ...",
// "domain = ..." lines; the user name may be "DOMAIN\user". On failure the
// result is empty and error says why, with the file name and line.
std::optional<SambaCredentials> ReadAuthFile(const std::string& path, std::string& error);

// "-U DOMAIN\user", "DOMAIN/user", "user@REALM" or "user". A password part
// ("user%secret") is refused: passwords never come from a command line,
// where every other user of the machine can read them.
std::optional<SambaCredentials> ParseUserOption(const std::string& value, std::string& error);

// The principal of the user's default Kerberos ticket cache, when it holds a
// ticket-granting ticket that has not expired; empty otherwise.
std::string DefaultTicketPrincipal();
