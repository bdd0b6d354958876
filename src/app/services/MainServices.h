// What the other windows reach of the main window: its lookups through the
// details cache, its settings, its four account lists and the seams it was
// given. The main window implements it; tests stand a small fake in its
// place where a window is tested alone.
#pragma once

#include <QString>
#include <QStringList>

#include "Config.h"
#include "ListFont.h"
#include "Records.h"

class DesktopServices;
class DirectoryQueries;
class QWidget;

// The lookups the comparison tables are built from: known names, group
// comments and user details through a cache, the settings and the
// directory. The main window serves them; the console program has its own.
class AccountServices {
public:
    virtual ~AccountServices() = default;

    // The user or group is one the start-up load listed (case ignored).
    virtual bool UserExist(const QString& pUsername) = 0;
    virtual bool GroupExists(const QString& pGroupName) = 0;
    // The comment held for the group; empty when it is not listed.
    virtual QString GetGroupComment(const QString& pGroupName) = 0;
    // Fills the caller's record from the details cache, reading the
    // directory the first time; leaves it as it was for a user who is not
    // known or whose read failed (the failure already reported).
    virtual void GetUserInfo3(const QString& pUsername, tyUserInfo3& info) = 0;
    // The user's full name through the cache; empty for an unknown user.
    virtual QString GetFullName(const QString& pUsername) = 0;
    // The details of these users are about to be asked for one by one: the
    // known users among them that the cache lacks are announced to the
    // directory, which may read them all at once. Nothing else changes.
    virtual void PrefetchUserInfo3(const QStringList& pUsernames) { (void)pUsernames; }

    virtual tyConfig& config() = 0;
    virtual DirectoryQueries& queries() = 0;
};

class MainServices : public AccountServices {
public:
    virtual void SaveConfig() = 0;
    virtual void SetDefaultConfig(tyConfig& pConfig) = 0;
    // The configuration dialog on a record, opened on one of its tabs
    // (0 General, 1 Comparison, 2 Check): True when the user confirmed a
    // change with OK.
    virtual bool EditConfiguration(tyConfig& pConfig, int pageIndex) = 0;

    // The items of the users and groups combo boxes, as they show them.
    virtual QStringList userItems() const = 0;
    virtual QStringList groupItems() const = 0;
    // The font of the four account lists, with its colour, as the settings
    // keep it (chklbxUsers's is read, all four are set).
    virtual tyListFont listFont() const = 0;
    virtual void setListFont(const tyListFont& font) = 0;

    virtual DesktopServices& desktop() = 0;
    // The parent of the windows opened from here.
    virtual QWidget* window() = 0;
};
