#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

// Files the program writes for the user (settings reports, metrics, a saved line) go only
// where a regular file stands or none does: a device, FIFO, socket or folder at the path is
// refused and left as it is, and so is a symbolic link that leads nowhere, to anything but a
// regular file, or that someone else owns (a trap laid in a shared folder for a program run
// as root). A link to a regular file of one's own is followed: the file it leads to is
// replaced, the link stays.

// Why nothing may be written at `path`, in words after the path ("is a FIFO, not a regular
// file"); empty when it may.
QString outputFileProblem(const QString& path);

// Writes `bytes` to a new file beside the target and renames it over the target, so a reader
// sees the old contents or the new, never a part. On failure the target is untouched and
// *reason says why. A new file gets `newFilePermissions`, when given, whatever the umask; a
// file replaced keeps the permissions it had.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* reason,
                         std::optional<QFileDevice::Permissions> newFilePermissions = {});

// True when `a` and `b` name one file, through links and relative paths, whether or not it
// exists yet.
bool sameFile(const QString& a, const QString& b);
