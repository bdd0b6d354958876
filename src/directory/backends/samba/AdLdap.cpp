#include "AdLdap.h"

#include <gssapi/gssapi_krb5.h>
#include <krb5.h>
#include <ldap.h>
#include <sasl/sasl.h>

#include <cstring>
#include <map>
#include <set>

#include "NetApi.h"
#include "Text.h"

namespace {

constexpr int kGlobalSecurityGroup = -2147483646;
constexpr int kUniversalSecurityGroup = -2147483640;
constexpr int kTimeoutSeconds = 30;

uint32_t statusOfKrb5(krb5_error_code code) {
    switch (code) {
        case KRB5KDC_ERR_PREAUTH_FAILED:
        case KRB5KDC_ERR_C_PRINCIPAL_UNKNOWN:
        case KRB5KRB_AP_ERR_BAD_INTEGRITY:
            return net::LogonFailure;
        case KRB5KDC_ERR_CLIENT_REVOKED:
            return net::AccountDisabled;
        case KRB5_KDC_UNREACH:
        case KRB5_REALM_CANT_RESOLVE:
        case KRB5_REALM_UNKNOWN:
            return net::BadNetPath;
        default:
            return net::LogonFailure;
    }
}

// SASL GSSAPI needs no answers from us; every prompt takes its default.
int saslInteract(LDAP*, unsigned, void*, void* in) {
    for (auto* i = static_cast<sasl_interact_t*>(in); i->id != SASL_CB_LIST_END; ++i) {
        i->result = i->defresult ? i->defresult : "";
        i->len = static_cast<unsigned>(std::strlen(static_cast<const char*>(i->result)));
    }
    return LDAP_SUCCESS;
}

std::string escapeFilter(const std::string& value) {
    berval in;
    in.bv_val = const_cast<char*>(value.data());
    in.bv_len = value.size();
    berval out{0, nullptr};
    if (ldap_bv2escaped_filter_value(&in, &out) != 0) {
        return {};
    }
    std::string r(out.bv_val, out.bv_len);
    ber_memfree(out.bv_val);
    return r;
}

uint32_t ridOf(const berval* sid) {
    // A binary SID ends with its sub-authorities; the last one is the RID.
    if (sid == nullptr || sid->bv_len < 12) {
        return 0;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(sid->bv_val) + sid->bv_len - 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::string firstValue(LDAP* ld, LDAPMessage* entry, const char* attr) {
    berval** values = ldap_get_values_len(ld, entry, attr);
    std::string r;
    if (values && values[0]) {
        r.assign(values[0]->bv_val, values[0]->bv_len);
    }
    ldap_value_free_len(values);
    return r;
}

std::vector<std::string> allValues(LDAP* ld, LDAPMessage* entry, const char* attr) {
    std::vector<std::string> out;
    berval** values = ldap_get_values_len(ld, entry, attr);
    for (int i = 0; values && values[i]; ++i) {
        out.emplace_back(values[i]->bv_val, values[i]->bv_len);
    }
    ldap_value_free_len(values);
    return out;
}

// The attributes of a level-3 record, and the two the controller adds.
const std::vector<std::string>& recordAttributeNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (size_t i = 0; i < ad::kUserAttributeCount; ++i) {
            n.emplace_back(ad::UserAttributes::nameOf(static_cast<ad::UserAttribute>(i)));
        }
        n.emplace_back("badPasswordTime");
        n.emplace_back("msDS-User-Account-Control-Computed");
        return n;
    }();
    return names;
}

AdUserRecord recordOfEntry(LDAP* ld, LDAPMessage* e,
                           const std::map<std::string, uint32_t>& aliasFlags) {
    const std::vector<std::string>& attrNames = recordAttributeNames();
    AdUserRecord r;
    for (size_t i = 0; i < ad::kUserAttributeCount; ++i) {
        berval** values = ldap_get_values_len(ld, e, attrNames[i].c_str());
        if (values && values[0]) {
            r.values[i].assign(values[0]->bv_val, values[0]->bv_len);
            r.present.set(i);
        }
        ldap_value_free_len(values);
    }
    r.badPasswordTime = std::strtoll(firstValue(ld, e, "badPasswordTime").c_str(), nullptr, 10);
    const std::string computed = firstValue(ld, e, "msDS-User-Account-Control-Computed");
    if (!computed.empty()) {
        r.computedFlags = uint32_t(std::strtoul(computed.c_str(), nullptr, 10));
        r.hasComputedFlags = true;
    }
    if (char* dn = ldap_get_dn(ld, e)) {
        const auto it = aliasFlags.find(AsciiLower(dn));
        r.authFlags = it == aliasFlags.end() ? 0 : it->second;
        ldap_memfree(dn);
    }
    return r;
}

}  // namespace

struct AdLdap::Impl {
    LDAP* ld = nullptr;
    std::string baseDn;
    krb5_context krb = nullptr;
    krb5_ccache memoryCache = nullptr;
    std::string memoryCacheName;
    AdLdapLogon logon;

    ~Impl() { reset(); }

    void reset() {
        if (ld) {
            ldap_unbind_ext_s(ld, nullptr, nullptr);
            ld = nullptr;
        }
        if (memoryCache) {
            krb5_cc_destroy(krb, memoryCache);
            memoryCache = nullptr;
        }
        if (krb) {
            krb5_free_context(krb);
            krb = nullptr;
        }
        baseDn.clear();
    }

    // Turns the password into a ticket-granting ticket in a memory cache
    // that only this connection uses.
    uint32_t getTicket(std::string& error) {
        if (krb5_init_context(&krb) != 0) {
            error = "cannot initialise Kerberos";
            return net::LogonFailure;
        }
        krb5_principal client = nullptr;
        const std::string principal = logon.user + "@" + logon.realm;
        krb5_error_code rc = krb5_parse_name(krb, principal.c_str(), &client);
        if (rc == 0) {
            memoryCacheName = "MEMORY:zentory-" + std::to_string(reinterpret_cast<uintptr_t>(this));
            rc = krb5_cc_resolve(krb, memoryCacheName.c_str(), &memoryCache);
        }
        krb5_creds creds;
        std::memset(&creds, 0, sizeof creds);
        bool haveCreds = false;
        if (rc == 0) {
            krb5_get_init_creds_opt* opts = nullptr;
            krb5_get_init_creds_opt_alloc(krb, &opts);
            rc = krb5_get_init_creds_password(krb, &creds, client, logon.password.c_str(), nullptr,
                                              nullptr, 0, nullptr, opts);
            krb5_get_init_creds_opt_free(krb, opts);
            haveCreds = rc == 0;
        }
        if (rc == 0) {
            rc = krb5_cc_initialize(krb, memoryCache, client);
        }
        if (rc == 0) {
            rc = krb5_cc_store_cred(krb, memoryCache, &creds);
        }
        uint32_t status = net::Success;
        if (rc != 0) {
            const char* msg = krb5_get_error_message(krb, rc);
            error = std::string("Kerberos logon of ") + principal + " failed: " + msg;
            krb5_free_error_message(krb, msg);
            status = statusOfKrb5(rc);
        }
        if (haveCreds) {
            krb5_free_cred_contents(krb, &creds);
        }
        if (client) {
            krb5_free_principal(krb, client);
        }
        return status;
    }

    int search(const std::string& base, int scope, const std::string& filter, const char** attrs,
               LDAPControl** serverControls, LDAPMessage** result) {
        timeval timeout{kTimeoutSeconds, 0};
        return ldap_search_ext_s(ld, base.c_str(), scope, filter.c_str(), const_cast<char**>(attrs),
                                 0, serverControls, nullptr, &timeout, LDAP_NO_LIMIT, result);
    }
};

AdLdap::AdLdap() : m(std::make_unique<Impl>()) {}
AdLdap::~AdLdap() = default;

bool AdLdap::connected() const {
    return m->ld != nullptr;
}

void AdLdap::disconnect() {
    m->reset();
}

uint32_t AdLdap::connect(const AdLdapLogon& logon) {
    if (m->ld) {
        return net::Success;
    }
    m->reset();
    m->logon = logon;
    m_lastError.clear();
    if (!logon.user.empty()) {
        const uint32_t status = m->getTicket(m_lastError);
        if (status != net::Success) {
            m->reset();
            return status;
        }
    }
    const std::string uri = "ldap://" + logon.host;
    if (ldap_initialize(&m->ld, uri.c_str()) != LDAP_SUCCESS) {
        m_lastError = "cannot use the address " + uri;
        m->reset();
        return net::BadNetPath;
    }
    const int version = LDAP_VERSION3;
    ldap_set_option(m->ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(m->ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    // The controller's name is already the one its service principal
    // carries; a reverse lookup could only make it worse.
    ldap_set_option(m->ld, LDAP_OPT_X_SASL_NOCANON, LDAP_OPT_ON);
    timeval timeout{kTimeoutSeconds, 0};
    ldap_set_option(m->ld, LDAP_OPT_NETWORK_TIMEOUT, &timeout);
    ldap_set_option(m->ld, LDAP_OPT_TIMEOUT, &timeout);

    // GSSAPI takes the ticket from the memory cache when there is one; the
    // setting is per thread and all calls of the back-end are serialised.
    OM_uint32 minor = 0;
    const char* previous = nullptr;
    if (m->memoryCache) {
        gss_krb5_ccache_name(&minor, m->memoryCacheName.c_str(), &previous);
    }
    const int rc = ldap_sasl_interactive_bind_s(m->ld, nullptr, "GSSAPI", nullptr, nullptr,
                                                LDAP_SASL_QUIET, saslInteract, nullptr);
    if (m->memoryCache) {
        gss_krb5_ccache_name(&minor, previous, nullptr);
    }
    if (rc != LDAP_SUCCESS) {
        char* diag = nullptr;
        ldap_get_option(m->ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diag);
        m_lastError = std::string("LDAP logon to ") + logon.host +
                      " failed: " + ldap_err2string(rc) +
                      (diag ? std::string(" (") + diag + ")" : "");
        ldap_memfree(diag);
        m->reset();
        return rc == LDAP_SERVER_DOWN || rc == LDAP_TIMEOUT || rc == LDAP_CONNECT_ERROR
                   ? net::BadNetPath
                   : net::LogonFailure;
    }

    const char* attrs[] = {"defaultNamingContext", nullptr};
    LDAPMessage* res = nullptr;
    if (m->search("", LDAP_SCOPE_BASE, "(objectClass=*)", attrs, nullptr, &res) == LDAP_SUCCESS) {
        if (LDAPMessage* e = ldap_first_entry(m->ld, res)) {
            m->baseDn = firstValue(m->ld, e, "defaultNamingContext");
        }
    }
    ldap_msgfree(res);
    if (m->baseDn.empty()) {
        m_lastError = "the controller " + logon.host + " names no default naming context";
        m->reset();
        return net::BadNetPath;
    }
    return net::Success;
}

uint32_t AdLdap::groupMembers(const std::string& groupName, std::vector<std::string>& names) {
    return groupMembers(groupName, names, nullptr, nullptr);
}

uint32_t AdLdap::groupMembers(const std::string& groupName, std::vector<std::string>& names,
                              std::vector<AdUserRecord>* records, int64_t* observationWindow) {
    names.clear();
    if (records) {
        records->clear();
    }
    if (!m->ld) {
        return net::BadNetPath;
    }
    std::map<std::string, uint32_t> aliasFlags;
    if (records) {
        const uint32_t facts = accountFacts(aliasFlags, *observationWindow);
        if (facts != net::Success) {
            return facts;
        }
    }
    const char* groupAttrs[] = {"objectSid", "groupType", nullptr};
    LDAPMessage* res = nullptr;
    const std::string groupFilter =
        "(&(objectClass=group)(sAMAccountName=" + escapeFilter(groupName) + "))";
    int rc = m->search(m->baseDn, LDAP_SCOPE_SUBTREE, groupFilter, groupAttrs, nullptr, &res);
    if (rc != LDAP_SUCCESS) {
        ldap_msgfree(res);
        m_lastError = std::string("LDAP search failed: ") + ldap_err2string(rc);
        if (rc == LDAP_SERVER_DOWN || rc == LDAP_TIMEOUT) {
            disconnect();
            return net::BadNetPath;
        }
        return net::AccessDenied;
    }
    LDAPMessage* group = ldap_first_entry(m->ld, res);
    std::string dn;
    uint32_t rid = 0;
    int groupType = 0;
    if (group) {
        char* d = ldap_get_dn(m->ld, group);
        dn = d ? d : "";
        ldap_memfree(d);
        groupType = std::atoi(firstValue(m->ld, group, "groupType").c_str());
        berval** sid = ldap_get_values_len(m->ld, group, "objectSid");
        rid = ridOf(sid && sid[0] ? sid[0] : nullptr);
        ldap_value_free_len(sid);
    }
    ldap_msgfree(res);
    // Domain-local and distribution groups are not global groups: the
    // network management functions do not know them.
    if (dn.empty() || (groupType != kGlobalSecurityGroup && groupType != kUniversalSecurityGroup)) {
        return net::GroupNotFound;
    }

    // One paged search finds both kinds of member: the accounts that list
    // the group in their memberOf back-link (users and computers; groups are
    // not of class user) and those whose primary group it is.
    const std::string filter = "(&(objectClass=user)(|(memberOf=" + escapeFilter(dn) +
                               ")(primaryGroupID=" + std::to_string(rid) + ")))";
    std::vector<const char*> attrs;
    if (records) {
        for (const std::string& a : recordAttributeNames()) {
            attrs.push_back(a.c_str());
        }
    } else {
        attrs.push_back("sAMAccountName");
    }
    attrs.push_back(nullptr);
    berval* cookie = nullptr;
    uint32_t status = net::Success;
    do {
        LDAPControl* page = nullptr;
        rc = ldap_create_page_control(m->ld, 1000, cookie, 0, &page);
        if (cookie) {
            ber_bvfree(cookie);
            cookie = nullptr;
        }
        if (rc != LDAP_SUCCESS) {
            status = net::NotEnoughMemory;
            break;
        }
        LDAPControl* controls[] = {page, nullptr};
        rc = m->search(m->baseDn, LDAP_SCOPE_SUBTREE, filter, attrs.data(), controls, &res);
        ldap_control_free(page);
        if (rc != LDAP_SUCCESS) {
            ldap_msgfree(res);
            m_lastError = std::string("LDAP search failed: ") + ldap_err2string(rc);
            status = (rc == LDAP_SERVER_DOWN || rc == LDAP_TIMEOUT) ? net::BadNetPath
                                                                    : net::AccessDenied;
            if (status == net::BadNetPath) {
                disconnect();
            }
            break;
        }
        for (LDAPMessage* e = ldap_first_entry(m->ld, res); e; e = ldap_next_entry(m->ld, e)) {
            std::string name = firstValue(m->ld, e, "sAMAccountName");
            if (!name.empty()) {
                names.push_back(std::move(name));
                if (records) {
                    records->push_back(recordOfEntry(m->ld, e, aliasFlags));
                }
            }
        }
        LDAPControl** returned = nullptr;
        int err = 0;
        ldap_parse_result(m->ld, res, &err, nullptr, nullptr, nullptr, &returned, 0);
        if (returned) {
            if (LDAPControl* pr = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr)) {
                ber_int_t estimate = 0;
                berval c{0, nullptr};
                if (ldap_parse_pageresponse_control(m->ld, pr, &estimate, &c) == LDAP_SUCCESS &&
                    c.bv_len > 0) {
                    cookie = ber_bvdup(&c);
                }
                ber_memfree(c.bv_val);
            }
            ldap_controls_free(returned);
        }
        ldap_msgfree(res);
    } while (cookie != nullptr);
    if (cookie) {
        ber_bvfree(cookie);
    }
    if (status != net::Success) {
        names.clear();
        if (records) {
            records->clear();
        }
    }
    return status;
}

ad::UserAttributes AdUserRecord::attributes() const {
    ad::UserAttributes a;
    for (size_t i = 0; i < ad::kUserAttributeCount; ++i) {
        if (present.test(i)) {
            a.set(static_cast<ad::UserAttribute>(i), values[i]);
        }
    }
    return a;
}

uint32_t AdLdap::failedSearch(int rc) {
    m_lastError = std::string("LDAP search failed: ") + ldap_err2string(rc);
    if (rc == LDAP_SERVER_DOWN || rc == LDAP_TIMEOUT) {
        disconnect();
        return net::BadNetPath;
    }
    return net::AccessDenied;
}

uint32_t AdLdap::accountFacts(std::map<std::string, uint32_t>& aliasFlags,
                              int64_t& observationWindow) {
    aliasFlags.clear();
    observationWindow = 0;
    // The domain's lockout observation window, after which a controller
    // answers a count of bad passwords as 0.
    LDAPMessage* res = nullptr;
    const char* domainAttrs[] = {"lockOutObservationWindow", nullptr};
    int rc = m->search(m->baseDn, LDAP_SCOPE_BASE, "(objectClass=*)", domainAttrs, nullptr, &res);
    if (rc != LDAP_SUCCESS) {
        ldap_msgfree(res);
        return failedSearch(rc);
    }
    if (LDAPMessage* e = ldap_first_entry(m->ld, res)) {
        observationWindow =
            std::strtoll(firstValue(m->ld, e, "lockOutObservationWindow").c_str(), nullptr, 10);
    }
    ldap_msgfree(res);

    // The operator aliases by their direct members, as the controller's
    // account database reports an account's aliases.
    struct Alias {
        const char* sid;
        uint32_t authFlag;
    };
    static const Alias kAliases[] = {
        {"S-1-5-32-550", 0x1},  // Print Operators: AF_OP_PRINT
        {"S-1-5-32-549", 0x4},  // Server Operators: AF_OP_SERVER
        {"S-1-5-32-548", 0x8},  // Account Operators: AF_OP_ACCOUNTS
    };
    const char* aliasAttrs[] = {"member", nullptr};
    for (const Alias& alias : kAliases) {
        rc = m->search(m->baseDn, LDAP_SCOPE_SUBTREE, std::string("(objectSid=") + alias.sid + ")",
                       aliasAttrs, nullptr, &res);
        if (rc != LDAP_SUCCESS) {
            ldap_msgfree(res);
            return failedSearch(rc);
        }
        for (LDAPMessage* e = ldap_first_entry(m->ld, res); e; e = ldap_next_entry(m->ld, e)) {
            for (const std::string& dn : allValues(m->ld, e, "member")) {
                aliasFlags[AsciiLower(dn)] |= alias.authFlag;
            }
        }
        ldap_msgfree(res);
    }
    return net::Success;
}

uint32_t AdLdap::userRecords(const std::vector<std::string>& names,
                             std::vector<AdUserRecord>& records, int64_t& observationWindow) {
    records.clear();
    observationWindow = 0;
    if (!m->ld) {
        return net::BadNetPath;
    }
    std::map<std::string, uint32_t> aliasFlags;
    uint32_t status = accountFacts(aliasFlags, observationWindow);
    if (status != net::Success) {
        return status;
    }
    std::vector<char*> attrs;
    for (const std::string& a : recordAttributeNames()) {
        attrs.push_back(const_cast<char*>(a.c_str()));
    }
    attrs.push_back(nullptr);

    // A few hundred names a search keep the filter small for the server.
    constexpr size_t kPerSearch = 500;
    for (size_t first = 0; first < names.size(); first += kPerSearch) {
        std::string filter = "(&(objectClass=user)(|";
        for (size_t i = first; i < std::min(names.size(), first + kPerSearch); ++i) {
            filter += "(sAMAccountName=" + escapeFilter(names[i]) + ")";
        }
        filter += "))";
        LDAPMessage* res = nullptr;
        const int rc = m->search(m->baseDn, LDAP_SCOPE_SUBTREE, filter,
                                 const_cast<const char**>(attrs.data()), nullptr, &res);
        if (rc != LDAP_SUCCESS) {
            ldap_msgfree(res);
            records.clear();
            return failedSearch(rc);
        }
        for (LDAPMessage* e = ldap_first_entry(m->ld, res); e; e = ldap_next_entry(m->ld, e)) {
            records.push_back(recordOfEntry(m->ld, e, aliasFlags));
        }
        ldap_msgfree(res);
    }
    return net::Success;
}
