#include "Records.h"

// Masks as the Windows SDK names them (UF_*, AF_OP_*, SE_GROUP_*).
const std::array<FlagField<tyUi3Flags>, 20> kUi3FlagFields = {{
    {"SCRIPT", 0x1, &tyUi3Flags::SCRIPT},
    {"ACCOUNTDISABLE", 0x2, &tyUi3Flags::ACCOUNTDISABLE},
    {"HOMEDIR_REQUIRED", 0x8, &tyUi3Flags::HOMEDIR_REQUIRED},
    {"PASSWD_NOTREQD", 0x20, &tyUi3Flags::PASSWD_NOTREQD},
    {"PASSWD_CANT_CHANGE", 0x40, &tyUi3Flags::PASSWD_CANT_CHANGE},
    {"LOCKOUT", 0x10, &tyUi3Flags::LOCKOUT},
    {"DONT_EXPIRE_PASSWD", 0x10000, &tyUi3Flags::DONT_EXPIRE_PASSWD},
    {"ENCRYPTED_TEXT_PASSWORD_ALLOWED", 0x80, &tyUi3Flags::ENCRYPTED_TEXT_PASSWORD_ALLOWED},
    {"NOT_DELEGATED", 0x100000, &tyUi3Flags::NOT_DELEGATED},
    {"SMARTCARD_REQUIRED", 0x40000, &tyUi3Flags::SMARTCARD_REQUIRED},
    {"USE_DES_KEY_ONLY", 0x200000, &tyUi3Flags::USE_DES_KEY_ONLY},
    {"DONT_REQUIRE_PREAUTH", 0x400000, &tyUi3Flags::DONT_REQUIRE_PREAUTH},
    {"TRUSTED_FOR_DELEGATION", 0x80000, &tyUi3Flags::TRUSTED_FOR_DELEGATION},
    {"PASSWORD_EXPIRED", 0x800000, &tyUi3Flags::PASSWORD_EXPIRED},
    {"TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION", 0x1000000,
     &tyUi3Flags::TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION},
    {"NORMAL_ACCOUNT", 0x200, &tyUi3Flags::NORMAL_ACCOUNT},
    {"TEMP_DUPLICATE_ACCOUNT", 0x100, &tyUi3Flags::TEMP_DUPLICATE_ACCOUNT},
    {"WORKSTATION_TRUST_ACCOUNT", 0x1000, &tyUi3Flags::WORKSTATION_TRUST_ACCOUNT},
    {"SERVER_TRUST_ACCOUNT", 0x2000, &tyUi3Flags::SERVER_TRUST_ACCOUNT},
    {"INTERDOMAIN_TRUST_ACCOUNT", 0x800, &tyUi3Flags::INTERDOMAIN_TRUST_ACCOUNT},
}};

const std::array<FlagField<tyUi3AuthFlags>, 4> kUi3AuthFlagFields = {{
    {"PRINT", 0x1, &tyUi3AuthFlags::PRINT},
    {"COMM", 0x2, &tyUi3AuthFlags::COMM},
    {"SERVER", 0x4, &tyUi3AuthFlags::SERVER},
    {"ACCOUNTS", 0x8, &tyUi3AuthFlags::ACCOUNTS},
}};

const std::array<FlagField<tyGroupUsersInfo1Attributes>, 9> kGroupUsersAttributeFields = {{
    {"MANDATORY", 0x1, &tyGroupUsersInfo1Attributes::MANDATORY},
    {"ENABLED_BY_DEFAULT", 0x2, &tyGroupUsersInfo1Attributes::ENABLED_BY_DEFAULT},
    {"ENABLED", 0x4, &tyGroupUsersInfo1Attributes::ENABLED},
    {"OWNER", 0x8, &tyGroupUsersInfo1Attributes::OWNER},
    {"USE_FOR_DENY_ONLY", 0x10, &tyGroupUsersInfo1Attributes::USE_FOR_DENY_ONLY},
    {"INTEGRITY", 0x20, &tyGroupUsersInfo1Attributes::INTEGRITY},
    {"INTEGRITY_ENABLED", 0x40, &tyGroupUsersInfo1Attributes::INTEGRITY_ENABLED},
    // Two bits: either one marks a logon identifier.
    {"LOGON_ID", 0xC0000000, &tyGroupUsersInfo1Attributes::LOGON_ID},
    {"RESOURCE", 0x20000000, &tyGroupUsersInfo1Attributes::RESOURCE},
}};
