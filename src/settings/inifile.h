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
// missing: an IniEdit of one key.
void IniPut(const QString& path, const QString& section, const QString& key, const QString& value);

// Several keys of one file written at once. The file is read when the edit
// starts; each put() changes the text in memory, under the placement rules of
// the private-profile format; commit() replaces the file once, as a whole (see
// atomicfile.h), so a run cut short leaves the file with every key or with
// none. The result is the file that the same IniPut() calls, one after the
// other, would leave. Failures are silent and change nothing: an unwritable or
// read-only file or directory, an unreadable file, text without a CP932 form,
// or names and values that could not be read back as they are (line breaks,
// for one); such a key is skipped, the others are written.
class IniEdit {
  public:
    explicit IniEdit(const QString& path);
    void put(const QString& section, const QString& key, const QString& value);
    // Writes the file when a put() changed it. False when the file is
    // unreadable or could not be written.
    bool commit();

  private:
    QString path_;
    bool readable_ = false;
    bool changed_ = false;
    std::string text_;
};

namespace profile {

// Files larger than this are not settings files: they are neither read nor replaced.
inline constexpr qint64 kMaxFileSize = qint64{64} * 1024 * 1024;

struct FileContents {
    enum State { Absent, Read, Unreadable } state = Absent;
    std::string bytes;
};
FileContents readFile(const QString& path);

} // namespace profile

} // namespace honura
