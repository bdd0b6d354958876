#include "HelpTexts.h"

#include <array>

namespace {

// In grid row order: Name to PasswordExpired.
constexpr std::array<const char*, 24> kRowTexts = {
    "Name of the user account.",
    "The number of seconds that have elapsed since the password was last changed.",
    "The level of privilege assigned. The possible values are: Guest, User or Administrator.",
    "Path of the home directory of the user.",
    "Comment to associate with the user account.",
    "Path for the user's logon script file.",
    "Full name of the user.",
    "User comment",
    "The names of the workstations from which the user can log on, separated by commas. "
    "At most eight workstations can be listed.",
    "The date and time when the user last logged on. Each backup domain controller (BDC) "
    "keeps its own value, so an accurate value needs every BDC of the domain to be asked: "
    "the largest value found is the last logon.",
    "The date and time when the user last logged off. Each backup domain controller (BDC) "
    "keeps its own value, so an accurate value needs every BDC of the domain to be asked: "
    "the largest value found is the last logoff.",
    "The date and time when the account expires.",
    "The maximum amount of disk space the user can use.",
    "The number of equal time units into which the week is divided. It is needed to work "
    "out the length of the logon-hours bit string.",
    "The number of times the user tried to log on with a wrong password. The value is "
    "replicated from the primary domain controller (PDC) and also kept on each backup "
    "domain controller (BDC), so an accurate value needs every BDC to be asked: the largest "
    "value found is the count.",
    "The number of times the user logged on to the account successfully. Each backup domain "
    "controller (BDC) keeps its own value, so an accurate value needs every BDC to be asked: "
    "the count is the sum of the values found.",
    "The server to which logon requests are sent. Server names begin with two backslashes; "
    "two backslashes followed by an asterisk (\\\\*) let any logon server handle the request, "
    "and a NULL string sends the requests to the domain controller.",
    "The country/region code for the user's language of choice.",
    "The code page for the user's language of choice.",
    "The relative ID (RID) of the user, given by the Security Account Manager (SAM) when "
    "the user is created. It is unique for the account within the domain.",
    "The RID of the Primary Global Group for the user.",
    "Path to the user's profile.",
    "Drive letter assigned to the user's home directory for logon purposes.",
    "Password expiration information.",
};

// In the field order of the account-control flags: SCRIPT to
// INTERDOMAIN_TRUST_ACCOUNT.
constexpr std::array<const char*, 20> kFlagTexts = {
    "The logon script executed. This value must be set.",
    "The user's account is disabled.",
    "The home directory is required.",
    "No password is required.",
    "The user cannot change the password.",
    "The account is currently locked out.",
    "The password should never expire on the account.",
    "The user's password is stored under reversible encryption in the Active Directory.",
    "The account is marked as sensitive: other users cannot act as delegates of this "
    "account.",
    "Requires the user to log on to the user account with a smart card.",
    "Restrict this principal to use only Data Encryption Standard (DES) encryption types "
    "for keys.",
    "This account does not require Kerberos preauthentication for logon.",
    "The account is enabled for delegation: a service running under it can take on a "
    "client's identity and authenticate as that user to other servers of the network. "
    "This is a security-sensitive setting that must be tightly controlled.",
    "The user's password has expired.",
    "The account may authenticate a user outside the Kerberos security package and "
    "delegate that user through constrained delegation: a service running under it can "
    "assert a client's identity to specifically configured services of the network. "
    "This is a security-sensitive setting that must be tightly controlled.",
    "This is a default account type that represents a typical user.",
    "This is an account for a user whose primary account is in another domain. It gives "
    "access to this domain, but not to the domains that trust it; the user manager calls "
    "this type a local user account.",
    "This is a computer account for a computer that is a member of this domain.",
    "This is a computer account for a backup domain controller that is a member of this "
    "domain.",
    "This is a permit to trust account for a domain that trusts other domains.",
};

// PRINT, COMM, SERVER, ACCOUNTS.
constexpr std::array<const char*, 4> kAuthFlagTexts = {
    "The print operator privilege is enabled.",
    "The communications operator privilege is enabled.",
    "The server operator privilege is enabled.",
    "The accounts operator privilege is enabled.",
};

template <size_t N>
QString pick(const std::array<const char*, N>& texts, int position) {
    if (position < 1 || position > int(N)) {
        return {};
    }
    return QString::fromUtf8(texts[size_t(position - 1)]);
}

}  // namespace

QString HelpText(int pIndex) {
    if (pIndex >= 201) {
        return pick(kAuthFlagTexts, pIndex - 200);
    }
    if (pIndex >= 101) {
        return pick(kFlagTexts, pIndex - 100);
    }
    return pick(kRowTexts, pIndex);
}
