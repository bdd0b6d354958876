#include "SettingsStore.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <bit>

#include "RegFile.h"
#include "StoredValues.h"

namespace {

std::u16string widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

RegData dword(uint32_t n) {
    return {kRegDword, {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}};
}

uint32_t dwordOf(const RegData& data, const std::u16string& name) {
    if (data.type != kRegDword || data.bytes.size() != 4) {
        throw SettingsTypeError(name);
    }
    const auto& b = data.bytes;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void read(RegistryKey& key, const StoredValue& value) {
    const std::optional<RegData> data = key.queryValue(value.name);
    if (!data) {
        return;
    }
    switch (value.kind) {
    case ValueKind::Boolean:
        *std::get<bool*>(value.field) = dwordOf(*data, value.name) != 0;
        break;
    case ValueKind::Integer: {
        const uint32_t n = dwordOf(*data, value.name);
        if (auto* u = std::get_if<uint32_t*>(&value.field)) {
            **u = n;
        } else {
            *std::get<int32_t*>(value.field) = int32_t(n);
        }
        break;
    }
    case ValueKind::Text:
        if (data->type != kRegSz) {
            throw SettingsTypeError(value.name);
        }
        *std::get<std::u16string*>(value.field) = DecodeRegSz(data->bytes);
        break;
    case ValueKind::DateTime: {
        if (data->type != kRegBinary || data->bytes.size() != 8) {
            throw SettingsTypeError(value.name);
        }
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i) {
            bits = bits << 8 | data->bytes[size_t(i)];
        }
        *std::get<tyDateTime*>(value.field) = std::bit_cast<double>(bits);
        break;
    }
    }
}

RegData stored(const StoredValue& value) {
    switch (value.kind) {
    case ValueKind::Boolean:
        return dword(value.rule == ValueRule::SavedTrue || *std::get<bool*>(value.field) ? 1 : 0);
    case ValueKind::Integer: {
        uint32_t n = 0;
        if (auto* u = std::get_if<uint32_t*>(&value.field)) {
            n = **u;
        } else {
            n = uint32_t(*std::get<int32_t*>(value.field));
        }
        if (value.rule == ValueRule::SavedPlusOne) {
            ++n;  // unsigned: a counter at its end wraps as the 32-bit value does
        }
        return dword(n);
    }
    case ValueKind::Text:
        return {kRegSz, EncodeRegSz(*std::get<std::u16string*>(value.field))};
    case ValueKind::DateTime: {
        const auto bits = std::bit_cast<uint64_t>(*std::get<tyDateTime*>(value.field));
        RegData data{kRegBinary, {}};
        for (int i = 0; i < 8; ++i) {
            data.bytes.push_back(uint8_t(bits >> (8 * i)));
        }
        return data;
    }
    }
    return {};
}

}  // namespace

void LoadConfigFrom(RegistryHive& hive, std::string_view versionCode, tyConfig& config,
                    tyListFont& font) {
    for (const StoredKey& storedKey : StoredKeys(config, font, widen(versionCode))) {
        const std::unique_ptr<RegistryKey> key = hive.openKey(storedKey.path);
        if (!key) {
            continue;
        }
        bool stylesCleared = false;
        for (const StoredValue& value : storedKey.values) {
            if (value.rule == ValueRule::FontStyle && !stylesCleared) {
                for (const StoredValue& style : storedKey.values) {
                    if (style.rule == ValueRule::FontStyle) {
                        *std::get<bool*>(style.field) = false;
                    }
                }
                stylesCleared = true;
            }
            read(*key, value);
        }
    }
}

bool SaveConfigTo(RegistryHive& hive, std::string_view versionCode, const tyConfig& config,
                  const tyListFont& font) {
    // The table binds fields for reading too; a copy keeps the caller's
    // record untouched by construction.
    tyConfig configCopy = config;
    tyListFont fontCopy = font;
    bool complete = true;
    for (const StoredKey& storedKey : StoredKeys(configCopy, fontCopy, widen(versionCode))) {
        const std::unique_ptr<RegistryKey> key = hive.createKey(storedKey.path);
        if (!key) {
            complete = false;
            continue;
        }
        for (const StoredValue& value : storedKey.values) {
            complete = key->setValue(value.name, stored(value)) && complete;
        }
    }
    return complete;
}

tyDateTime CurrentDate() {
    return tyDateTime(QDate(1899, 12, 30).daysTo(QDate::currentDate()));
}

QString DefaultSettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zentory/settings.reg");
}

QString BrokenCopyPath(const QString& filePath, const QByteArray& content) {
    constexpr int kMaxCopies = 1000;
    for (int n = 1; n <= kMaxCopies; ++n) {
        const QString candidate =
            filePath + (n == 1 ? QStringLiteral(".broken") : QStringLiteral(".broken.%1").arg(n));
        QFile existing(candidate);
        if (!existing.exists()) {
            return candidate;
        }
        if (existing.open(QIODevice::ReadOnly) && existing.size() == content.size() &&
            existing.readAll() == content) {
            return candidate;
        }
    }
    return {};
}

namespace {

// The copy is made from the bytes that were read, never by overwriting:
// NewOnly fails when another run took the name in the meantime.
bool keepBrokenCopy(const QString& filePath, const QByteArray& content) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QString copy = BrokenCopyPath(filePath, content);
        if (copy.isEmpty()) {
            return false;
        }
        QFile out(copy);
        if (out.exists()) {
            return true;  // holds this content already
        }
        if (out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            const bool written = out.write(content) == content.size() && out.flush();
            out.close();
            if (!written) {
                out.remove();
            }
            return written;
        }
    }
    return false;
}

}  // namespace

SettingsStore::SettingsStore() {
#ifndef _WIN32
    m_filePath = DefaultSettingsFilePath();
#endif
}

SettingsStore::SettingsStore(QString filePath) : m_filePath(std::move(filePath)) {}

void SettingsStore::LoadConfig(tyConfig& config, tyListFont& font,
                               std::string_view versionCode) const {
#ifdef _WIN32
    if (m_filePath.isEmpty()) {
        LoadConfigFrom(*OpenCurrentUserRegistry(false), versionCode, config, font);
        return;
    }
#endif
    QFile file(m_filePath);
    if (!file.exists()) {
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw SettingsFileError(m_filePath, 0, file.errorString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw SettingsFileError(m_filePath, 0, file.errorString());
    }
    RegFile regFile = RegFile::parse(bytes, m_filePath);
    RegFileHive hive(regFile);
    LoadConfigFrom(hive, versionCode, config, font);
}

bool SettingsStore::SaveConfig(const tyConfig& config, const tyListFont& font,
                               std::string_view versionCode) const {
#ifdef _WIN32
    if (m_filePath.isEmpty()) {
        return SaveConfigTo(*OpenCurrentUserRegistry(true), versionCode, config, font);
    }
#endif
    // Read again rather than kept from loading: what other runs or the user
    // stored meanwhile under other names is kept.
    RegFile regFile;
    std::optional<QByteArray> broken;
    QFile file(m_filePath);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            return false;
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            return false;
        }
        file.close();
        try {
            regFile = RegFile::parse(bytes, m_filePath);
        } catch (const SettingsFileError&) {
            broken = bytes;
        }
    }

    RegFileHive hive(regFile);
    const bool complete = SaveConfigTo(hive, versionCode, config, font);

    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath())) {
        return false;
    }
    if (broken && !keepBrokenCopy(m_filePath, *broken)) {
        return false;
    }
    QSaveFile out(m_filePath);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray text = regFile.serialize();
    if (out.write(text) != text.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit() && complete;
}
