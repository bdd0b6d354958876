// Loading and saving the settings record and the list font: the Windows
// registry under HKEY_CURRENT_USER\Software\zentory.example\Zentory, or a
// REGEDIT4 file of the same keys and values where there is no registry.
#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>

#include "Config.h"
#include "ListFont.h"
#include "RegistryHive.h"
#include "SettingsErrors.h"

// Where the settings are kept on a system without a registry:
// GenericConfigLocation/zentory/settings.reg.
QString DefaultSettingsFilePath();

// Today at 00:00 (local time), as the default of FirstExec:
// SetDefaultConfigValues(config, CurrentDate()).
tyDateTime CurrentDate();

// Reads the stored values into config and font, in table order
// (StoredValues.h). A value, or a whole key, that is not stored leaves its
// fields as they are. The font styles are the exception: when the Font key
// exists, a style is on afterwards only if it is stored and True.
// Throws SettingsTypeError at the first value of the wrong type; what was
// read before it stays.
void LoadConfigFrom(RegistryHive& hive, std::string_view versionCode, tyConfig& config,
                    tyListFont& font);

// Writes every value, creating the five keys. ValCheck\Name is written True
// and the run counter as config.NbExecution + 1; config itself is not
// changed. A key that cannot be opened or created is skipped, as is a value
// that cannot be written; the result is false when anything was skipped.
bool SaveConfigTo(RegistryHive& hive, std::string_view versionCode, const tyConfig& config,
                  const tyListFont& font);

// Where a save keeps a copy of the broken settings file at filePath before
// it writes the file anew: FILE.broken, or when that holds another content
// FILE.broken.2, FILE.broken.3, ... (an older copy is never overwritten); a
// copy that already holds this content is used again. Empty when there is
// no free name.
QString BrokenCopyPath(const QString& filePath, const QByteArray& content);

// The store the main window uses: the registry on Windows, the settings file
// elsewhere. versionCode is VersionCode(major, minor) of the program.
class SettingsStore {
public:
    // The platform's store.
    SettingsStore();
    // A settings file at this path, on any platform.
    explicit SettingsStore(QString filePath);

    // Throws SettingsTypeError; for the file also SettingsFileError when it
    // cannot be read or parsed, having loaded nothing from it.
    void LoadConfig(tyConfig& config, tyListFont& font, std::string_view versionCode) const;

    // Never throws and shows nothing, as saving to the registry never did;
    // false when not everything could be stored. The file is replaced as a
    // whole (written beside it, then renamed), its folder created when
    // missing. A file that could not be parsed is first copied to
    // BrokenCopyPath and then written anew; when that copy cannot be
    // made, or the file exists but cannot be read, it is left alone and
    // nothing is stored.
    bool SaveConfig(const tyConfig& config, const tyListFont& font,
                    std::string_view versionCode) const;

    // Empty for the registry.
    const QString& filePath() const { return m_filePath; }

private:
    QString m_filePath;
};
