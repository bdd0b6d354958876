// The two ways loading the settings can fail. Both leave the settings as far
// as they were loaded and reach the main window, which shows the message.
#pragma once

#include <QString>
#include <stdexcept>
#include <string>

// A stored value has another type than the one its field needs (a text where
// a Boolean belongs, a date-time that is not 8 bytes of binary data). The
// text is the same on every platform, with the value's name:
// "Invalid data type for 'NAME'".
class SettingsTypeError : public std::runtime_error {
public:
    explicit SettingsTypeError(std::u16string_view valueName);
    const std::u16string& valueName() const { return m_valueName; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    std::u16string m_valueName;
};

// The settings file cannot be parsed (or read) at all; nothing was loaded
// from it. Line is the first line that could not be understood, 0 when the
// fault is not in one line (the file cannot be read).
class SettingsFileError : public std::runtime_error {
public:
    SettingsFileError(const QString& fileName, int line, const QString& reason);
    const QString& fileName() const { return m_fileName; }
    int line() const { return m_line; }
    const QString& reason() const { return m_reason; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    QString m_fileName;
    int m_line;
    QString m_reason;
};
