#include "Config.h"

const std::array<ValidCheckField, 25> kValidCheckFields = {{
    {"Name", &tyValidCheck::Name},
    {"PasswordAge", &tyValidCheck::PasswordAge},
    {"Priv", &tyValidCheck::Priv},
    {"HomeDir", &tyValidCheck::HomeDir},
    {"Comment", &tyValidCheck::Comment},
    {"ScriptPath", &tyValidCheck::ScriptPath},
    {"FullName", &tyValidCheck::FullName},
    {"UsrComment", &tyValidCheck::UsrComment},
    {"Workstations", &tyValidCheck::Workstations},
    {"LastLogon", &tyValidCheck::LastLogon},
    {"LastLogoff", &tyValidCheck::LastLogoff},
    {"AcctExpires", &tyValidCheck::AcctExpires},
    {"MaxStorage", &tyValidCheck::MaxStorage},
    {"UnitsPerWeek", &tyValidCheck::UnitsPerWeek},
    {"LogonHours", &tyValidCheck::LogonHours},
    {"BadPwCount", &tyValidCheck::BadPwCount},
    {"NumLogons", &tyValidCheck::NumLogons},
    {"LogonServer", &tyValidCheck::LogonServer},
    {"CountryCode", &tyValidCheck::CountryCode},
    {"CodePage", &tyValidCheck::CodePage},
    {"UserId", &tyValidCheck::UserId},
    {"PrimaryGroupId", &tyValidCheck::PrimaryGroupId},
    {"Profile", &tyValidCheck::Profile},
    {"HomeDirDrive", &tyValidCheck::HomeDirDrive},
    {"PasswordExpired", &tyValidCheck::PasswordExpired},
}};

void SetDefaultConfigValues(tyConfig& c, tyDateTime today) {
    c = tyConfig{};
    c.FirstExec = today;
    c.NbExecution = 0;
    c.MainDet = {false, false};
    c.CompDet = {true, true};
    c.ShowWarnDCNotFound = true;
    c.ShowWarnUserUnkn = true;
    c.ShowWarnGrpUnkn = true;
    c.AutoSelectGroup = false;
    c.AutoSelectUser = false;

    tyValidCheck& v = c.ValCheck;
    v.Name = v.PasswordAge = v.Comment = v.FullName = v.UsrComment = true;
    v.LastLogon = v.LastLogoff = v.AcctExpires = v.BadPwCount = v.NumLogons = true;
    v.Flags.ACCOUNTDISABLE = v.Flags.PASSWD_NOTREQD = v.Flags.PASSWD_CANT_CHANGE = true;
    v.Flags.DONT_EXPIRE_PASSWD = v.Flags.PASSWORD_EXPIRED = true;
}

std::string VersionCode(uint32_t major, uint32_t minor) {
    uint64_t factor = 100;
    if (minor >= 10000) {
        factor = 100000;
    } else if (minor >= 1000) {
        factor = 10000;
    } else if (minor >= 100) {
        factor = 1000;
    }
    return std::to_string(uint64_t(major) * factor + minor);
}
