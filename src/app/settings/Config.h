// The settings record of a run and its defaults. Plain C++: the comparison
// builders and the dialogs read it without knowing where it is stored.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "Records.h"

// Which details the lists show: users' full names, groups' comments.
struct tyDetails {
    bool ShowFullName = false;
    bool ShowComment = false;

    bool operator==(const tyDetails&) const = default;
};

// One Boolean per field of tyUserInfo3, in its order and under its names;
// the two flag records are taken over as they are. True: the users'
// attributes comparison shows the attribute.
struct tyValidCheck {
    bool Name = false;
    bool PasswordAge = false;
    bool Priv = false;
    bool HomeDir = false;
    bool Comment = false;
    tyUi3Flags Flags;
    bool ScriptPath = false;
    tyUi3AuthFlags AuthFlags;
    bool FullName = false;
    bool UsrComment = false;
    bool Workstations = false;
    bool LastLogon = false;
    bool LastLogoff = false;
    bool AcctExpires = false;
    bool MaxStorage = false;
    bool UnitsPerWeek = false;
    bool LogonHours = false;
    bool BadPwCount = false;
    bool NumLogons = false;
    bool LogonServer = false;
    bool CountryCode = false;
    bool CodePage = false;
    bool UserId = false;
    bool PrimaryGroupId = false;
    bool Profile = false;
    bool HomeDirDrive = false;
    bool PasswordExpired = false;

    bool operator==(const tyValidCheck&) const = default;
};

struct tyConfig {
    tyDateTime FirstExec = 0.0;  // first run of this program version
    int32_t NbExecution = 0;     // earlier runs of this program version
    tyDetails MainDet;
    tyDetails CompDet;
    bool ShowWarnDCNotFound = false;
    bool ShowWarnUserUnkn = false;
    bool ShowWarnGrpUnkn = false;
    tyValidCheck ValCheck;
    bool AutoSelectGroup = false;
    bool AutoSelectUser = false;

    bool operator==(const tyConfig&) const = default;
};

// The plain (non-flag) Booleans of tyValidCheck in field order, each with
// the name the settings store and the dialogs use.
struct ValidCheckField {
    std::string_view name;
    bool tyValidCheck::*field;
};
extern const std::array<ValidCheckField, 25> kValidCheckFields;

// Every setting at its default; today is the date given (days since
// 1899-12-30, time 00:00).
void SetDefaultConfigValues(tyConfig& config, tyDateTime today);

// The version code that keys the run counter: from the major and minor
// numbers of the program's version, 2.6 -> "206", 2.150 -> "2150",
// 3.1200 -> "31200".
std::string VersionCode(uint32_t major, uint32_t minor);
