// Where the user's known folders are: the shell's known folders on
// Windows, the desktop's standard locations elsewhere.
#pragma once

#include <QString>

#include "KnownFolders.h"

// The folder's path, without a trailing separator; empty when the system
// has none for it. On Windows before Vista, EConvertError for a folder
// without CSIDL (Downloads among them).
QString KnownFolderPath(const KnownFolderId& pId);
