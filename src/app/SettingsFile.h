// The user's settings as the program keeps them: the registry on Windows, a
// REGEDIT4 file elsewhere, under the version code of this program.
#pragma once

#include <string>

#include "SettingsStorage.h"
#include "SettingsStore.h"
#include "ZentoryBuild.h"

class SettingsFile : public SettingsStorage {
public:
    SettingsFile() : m_version(VersionCode(ZENTORY_VERSION_MAJOR, ZENTORY_VERSION_MINOR)) {}
    // A settings file at this path (tests).
    explicit SettingsFile(const QString& path, std::string versionCode)
        : m_store(path), m_version(std::move(versionCode)) {}

    void load(tyConfig& config, tyListFont& listFont) override {
        m_store.LoadConfig(config, listFont, m_version);
    }
    void save(const tyConfig& config, const tyListFont& listFont) override {
        m_store.SaveConfig(config, listFont, m_version);
    }

private:
    SettingsStore m_store;
    std::string m_version;
};
