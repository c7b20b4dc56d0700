#pragma once
// The settings file: one value read or written per call, in a private-profile
// file of CP932 text (see profile.h for the format).

#include <QString>
#include <string>
#include <string_view>

namespace honura {

// The value of key in section of the file at path, or fallback when the file,
// the section or the key is absent, or the value is not valid CP932. A key with
// an empty value gives the empty text. At most 511 bytes of a value are read,
// cut at a character boundary.
QString IniGet(const QString& path, const QString& section, const QString& key,
               const QString& fallback);

// Stores value for key in section of the file at path, creating the file when
// missing. The file is replaced as a whole (written beside it, then renamed
// over it), so it is never left half written; every other byte of it stays.
// Failures are silent and change nothing: an unwritable or read-only file or
// directory, an unreadable file, text without a CP932 form, or names and values
// that could not be read back as they are (line breaks, for one).
void IniPut(const QString& path, const QString& section, const QString& key, const QString& value);

namespace profile {

// Files larger than this are not settings files: they are neither read nor replaced.
inline constexpr qint64 kMaxFileSize = qint64{64} * 1024 * 1024;

struct FileContents {
    enum State { Absent, Read, Unreadable } state = Absent;
    std::string bytes;
};
FileContents readFile(const QString& path);

// Replaces the file at path with bytes, keeping its permissions. False, with
// the file as it was, when it cannot be done.
bool writeFile(const QString& path, std::string_view bytes);

} // namespace profile

} // namespace honura
