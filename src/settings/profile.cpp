#include "settings/profile.h"

namespace honura::profile {

namespace {

constexpr bool isBlank(char c) { return c == ' ' || c == '\t'; }

constexpr bool isTrailByte(unsigned char c)
{
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Bytes in one character starting at s[i].
std::size_t charLength(std::string_view s, std::size_t i)
{
    return isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// Position of the single-byte character c in s, skipping double-byte ones.
std::size_t findChar(std::string_view s, char c, std::size_t from = 0)
{
    for (std::size_t i = from; i < s.size(); i += charLength(s, i))
        if (s[i] == c)
            return i;
    return std::string_view::npos;
}

// True when every lead byte is followed by a trail byte.
bool wellFormed(std::string_view s)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (!isLeadByte(static_cast<unsigned char>(s[i])))
            continue;
        if (i + 1 >= s.size() || !isTrailByte(static_cast<unsigned char>(s[i + 1])))
            return false;
        ++i;
    }
    return true;
}

std::string_view unquoted(std::string_view v)
{
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        return v.substr(1, v.size() - 2);
    return v;
}

// A value as it is written so that unquoted(trimmed(text)) gives it back.
std::string quotedIfNeeded(std::string_view v)
{
    const bool needed = !v.empty() && (isBlank(v.front()) || isBlank(v.back()) ||
                                       (v.size() >= 2 && v.front() == '"' && v.back() == '"'));
    if (!needed)
        return std::string(v);
    std::string out;
    out.reserve(v.size() + 2);
    out += '"';
    out += v;
    out += '"';
    return out;
}

// One line of the file: its text without the line end, and where the next starts.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

Line lineAt(std::string_view file, std::size_t begin)
{
    Line l;
    l.begin = begin;
    const std::size_t lf = file.find('\n', begin);
    l.next = lf == std::string_view::npos ? file.size() : lf + 1;
    l.end = lf == std::string_view::npos ? file.size() : lf;
    if (l.end > begin && file[l.end - 1] == '\r')
        --l.end;
    return l;
}

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;      // section or key name
    std::size_t valueBegin = 0; // for a key: offset of the text after "=", in the line
};

Parsed parseLine(std::string_view text)
{
    Parsed p;
    std::size_t lead = 0;
    while (lead < text.size() && isBlank(text[lead]))
        ++lead;
    if (lead == text.size() || text[lead] == ';' || text[lead] == '#')
        return p;
    if (text[lead] == '[') {
        const std::size_t close = findChar(text, ']', lead + 1);
        if (close != std::string_view::npos) {
            p.kind = Kind::Section;
            p.name = trimmed(text.substr(lead + 1, close - lead - 1));
        }
        return p;
    }
    const std::size_t eq = text.find('=', lead);
    if (eq == std::string_view::npos)
        return p;
    p.name = trimmed(text.substr(lead, eq - lead));
    if (!p.name.empty()) {
        p.kind = Kind::Key;
        p.valueBegin = eq + 1;
    }
    return p;
}

// A UTF-8 byte-order mark that an editor put at the start of the file: not
// part of the first line, and kept where it is.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::size_t byteOrderMarkLength(std::string_view file)
{
    return file.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

// The lines of a file in order, each parsed.
struct Lines {
    explicit Lines(std::string_view f) : file(f), pos(byteOrderMarkLength(f)) {}
    bool next()
    {
        if (pos >= file.size())
            return false;
        line = lineAt(file, pos);
        pos = line.next;
        text = file.substr(line.begin, line.end - line.begin);
        parsed = parseLine(text);
        return true;
    }

    std::string_view file;
    std::size_t pos = 0;
    Line line;
    std::string_view text;
    Parsed parsed;
};

std::string_view valueOf(std::string_view text, const Parsed& p)
{
    return unquoted(trimmed(text.substr(p.valueBegin)));
}

std::string_view lineBreakOf(std::string_view file)
{
    const std::size_t lf = file.find('\n');
    if (lf != std::string_view::npos && (lf == 0 || file[lf - 1] != '\r'))
        return "\n";
    return "\r\n";
}

void closeOpenLine(std::string& out, std::string_view eol)
{
    if (out.size() == byteOrderMarkLength(out) || out.back() == '\n')
        return;
    if (out.back() == '\r')
        out += '\n';
    else
        out += eol;
}

bool validName(std::string_view name)
{
    return !name.empty() && !isBlank(name.front()) && !isBlank(name.back()) && wellFormed(name);
}

bool validText(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
           wellFormed(s);
}

} // namespace

bool namesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size();) {
        if (charLength(a, i) == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            i += 2;
        } else {
            if (asciiLower(a[i]) != asciiLower(b[i]))
                return false;
            ++i;
        }
    }
    return true;
}

std::optional<std::string> find(std::string_view file, std::string_view section,
                                std::string_view key)
{
    bool inSection = false;
    for (Lines w(file); w.next();) {
        const std::string_view text = w.text;
        const Parsed& p = w.parsed;
        if (p.kind == Kind::Section)
            inSection = namesEqual(p.name, section);
        else if (p.kind == Kind::Key && inSection && namesEqual(p.name, key))
            return std::string(valueOf(text, p));
    }
    return std::nullopt;
}

std::string cutToBuffer(std::string_view value)
{
    value = value.substr(0, value.find('\0'));
    std::size_t n = 0;
    while (n < value.size()) {
        const std::size_t len = charLength(value, n);
        if (n + len > kValueBuffer - 1)
            break;
        n += len;
    }
    return std::string(value.substr(0, n));
}

std::string get(std::string_view file, std::string_view section, std::string_view key,
                std::string_view fallback)
{
    const std::optional<std::string> v = find(file, section, key);
    return cutToBuffer(v ? std::string_view(*v) : fallback);
}

bool canPut(std::string_view section, std::string_view key, std::string_view value)
{
    if (!validName(section) || !validText(section) ||
        findChar(section, ']') != std::string_view::npos)
        return false;
    if (!validName(key) || !validText(key) || key.find('=') != std::string_view::npos)
        return false;
    if (key.front() == '[' || key.front() == ';' || key.front() == '#')
        return false;
    return validText(value);
}

std::optional<std::string> put(std::string_view file, std::string_view section,
                               std::string_view key, std::string_view value)
{
    if (!canPut(section, key, value))
        return std::nullopt;
    const std::string_view eol = lineBreakOf(file);

    bool inSection = false;
    bool sectionSeen = false;
    bool inFirst = false;
    std::size_t insertAt = 0; // after the last key (or the header) of the first such section
    for (Lines w(file); w.next();) {
        const Line& l = w.line;
        const Parsed& p = w.parsed;
        if (p.kind == Kind::Section) {
            inSection = namesEqual(p.name, section);
            inFirst = inSection && !sectionSeen;
            if (inFirst) {
                sectionSeen = true;
                insertAt = l.next;
            }
            continue;
        }
        if (p.kind != Kind::Key || !inSection)
            continue;
        if (namesEqual(p.name, key)) {
            // Keep the line up to "=" and the blanks after it, and its line end.
            std::size_t v = l.begin + p.valueBegin;
            while (v < l.end && isBlank(file[v]))
                ++v;
            std::string out(file.substr(0, v));
            out += quotedIfNeeded(value);
            out += file.substr(l.end);
            return out;
        }
        if (inFirst)
            insertAt = l.next;
    }

    std::string line;
    line.reserve(key.size() + value.size() + 5);
    line += key;
    line += '=';
    line += quotedIfNeeded(value);
    line += eol;

    std::string out;
    if (sectionSeen) {
        out.reserve(file.size() + line.size() + 2);
        out = file.substr(0, insertAt);
        closeOpenLine(out, eol);
        out += line;
        out += file.substr(insertAt);
    } else {
        out.reserve(file.size() + section.size() + line.size() + 6);
        out = file;
        closeOpenLine(out, eol);
        out += '[';
        out += section;
        out += ']';
        out += eol;
        out += line;
    }
    return out;
}

std::vector<Entry> entries(std::string_view file)
{
    std::vector<Entry> out;
    std::optional<std::string_view> section;
    for (Lines w(file); w.next();) {
        const std::string_view text = w.text;
        const Parsed& p = w.parsed;
        if (p.kind == Kind::Section)
            section = p.name;
        else if (p.kind == Kind::Key && section)
            out.push_back(
                {std::string(*section), std::string(p.name), std::string(valueOf(text, p))});
    }
    return out;
}

} // namespace honura::profile
