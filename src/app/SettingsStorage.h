// Where the main window's settings and list font are kept. LoadConfig and
// SaveConfig go through it, so a test gives the window a store in a
// temporary folder.
#pragma once

#include "Config.h"
#include "ListFont.h"

class SettingsStorage {
public:
    virtual ~SettingsStorage() = default;
    // Fills what is stored; a value of the wrong type or a file that cannot
    // be read throws (a std::exception with the message for the error box),
    // with what was read before it kept.
    virtual void load(tyConfig& config, tyListFont& listFont) = 0;
    virtual void save(const tyConfig& config, const tyListFont& listFont) = 0;
};
