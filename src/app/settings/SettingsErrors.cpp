#include "SettingsErrors.h"

#include <QDir>

SettingsTypeError::SettingsTypeError(std::u16string_view valueName)
    : std::runtime_error(QStringLiteral("Invalid data type for '%1'")
                             .arg(QStringView(valueName.data(), qsizetype(valueName.size())))
                             .toStdString()),
      m_valueName(valueName) {}

namespace {

QString fileErrorText(const QString& fileName, int line, const QString& reason) {
    const QString where = QDir::toNativeSeparators(fileName);
    if (line <= 0) {
        return QStringLiteral("The settings file %1 cannot be read: %2. The settings start from "
                              "their defaults.")
            .arg(where, reason);
    }
    return QStringLiteral("The settings file %1 cannot be read, line %2: %3. The settings start "
                          "from their defaults; the file is kept as a copy ending in \".broken\" "
                          "when they are next saved.")
        .arg(where, QString::number(line), reason);
}

}  // namespace

SettingsFileError::SettingsFileError(const QString& fileName, int line, const QString& reason)
    : std::runtime_error(fileErrorText(fileName, line, reason).toStdString()),
      m_fileName(fileName),
      m_line(line),
      m_reason(reason) {}
