#pragma once
// The private-profile (INI) format over the bytes of a file, as pure functions.
//
// Bytes are in CP932: a lead byte (0x81-0x9F, 0xE0-0xFC) and the byte after it
// form one character. Line ends are CR LF or LF alone. A line "[name]" opens a
// section; a line "key=value" gives a key of the current section. Names match
// without regard to ASCII letter case. Blanks around keys and values are not
// part of them; a value wrapped in double quotes loses the quotes. Lines that
// start with ";" or "#" are comments. Every other line is kept but has no
// meaning. A UTF-8 byte-order mark (EF BB BF) at the start of the file is
// not part of its first line; edits keep it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace honura::profile {

// Values are read through a buffer of this many bytes, the last one for the
// terminating NUL.
inline constexpr std::size_t kValueBuffer = 512;

// True when c starts a double-byte character.
constexpr bool isLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Equality of two names, ASCII letters compared without case, double-byte
// characters compared byte for byte.
bool namesEqual(std::string_view a, std::string_view b);

// The value of key in section, quotes removed but not cut, or nothing when the
// section or the key is absent. Of duplicate sections or keys, the first key
// in file order is the one found.
std::optional<std::string> find(std::string_view file, std::string_view section,
                                std::string_view key);

// What a reader with a buffer of kValueBuffer bytes gets of value: everything
// before the first NUL, at most kValueBuffer - 1 bytes, never ending inside a
// double-byte character.
std::string cutToBuffer(std::string_view value);

// find() through the buffer, with the default when absent.
std::string get(std::string_view file, std::string_view section, std::string_view key,
                std::string_view fallback);

// True when section and key can be written as names and value as a value, so
// that they read back unchanged: no line breaks or NUL, no broken double-byte
// character, names non-empty without outer blanks, no "]" in a section name, no
// "=" in a key that would not start with "[", ";" or "#".
bool canPut(std::string_view section, std::string_view key, std::string_view value);

// The file with key of section set to value. Only that value changes; a missing
// key is added after the last key of its section, a missing section at the end
// of the file. New lines end like the file's first line (CR LF when it has
// none). Nothing when canPut() is false.
std::optional<std::string> put(std::string_view file, std::string_view section,
                               std::string_view key, std::string_view value);

// One key as a reader sees it.
struct Entry {
    std::string section;
    std::string key;
    std::string value; // quotes removed, not cut
};
// Every key line of the file that belongs to a section, in file order.
std::vector<Entry> entries(std::string_view file);

} // namespace honura::profile
