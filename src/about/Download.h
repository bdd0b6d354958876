// One web resource into one file, and names for short-lived files: what
// the update check, the new-version download and the usage hit are built on.
#pragma once

#include <QString>
#include <chrono>

// The deadlines of a whole transfer, from the request to the last byte.
// Small files (the control file, the usage hit) get seconds: a healthy
// server answers them at once, and the program waits for them while the
// user waits for a window. A new version is a few megabytes asked for by
// the user, who may be on a slow line.
inline constexpr std::chrono::milliseconds kSmallDownloadDeadline{10'000};
inline constexpr std::chrono::milliseconds kNewVersionDeadline{300'000};

// Fetches pURL (http or https) into pFileName and returns True when the
// whole resource is there. The file is replaced only by a complete answer
// with a success status: after a failure (no network, an error status, a
// connection cut short, the deadline passed, a file that cannot be
// written) an existing file is as it was and no new file is left. Blocks
// the calling thread, letting the windows repaint but not take input;
// reports nothing.
bool DownloadURLToFile(const QString& pURL, const QString& pFileName,
                       std::chrono::milliseconds deadline = kSmallDownloadDeadline);

// A fresh name in the user's temporary folder, ending with pExtension
// (".tmp"). The file does not exist when the name is returned; the name
// is empty when the folder cannot hold a file.
QString MakeTempFileName(const QString& pExtension);
