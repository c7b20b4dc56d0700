// libFuzzer target for the private-profile engine: reading any bytes must not
// fail, and whatever put() writes reads back unchanged, leaving every other key
// and every other line as it was.
#include "settings/profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace profile = honura::profile;
using profile::Entry;
using profile::kValueBuffer;

namespace {

#define CHECK(cond) check((cond), #cond)

void check(bool ok, const char* what)
{
    if (ok)
        return;
    std::fprintf(stderr, "fuzz_ini: property broken: %s\n", what);
    std::abort();
}

// The bytes of before that after does not keep: what lies between the longest
// common beginning and the longest common end.
std::string_view removedPart(std::string_view before, std::string_view after)
{
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return before.substr(head, before.size() - head - tail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(64);
    const std::string key = in.ConsumeRandomLengthString(64);
    const std::string value = in.ConsumeRandomLengthString(700);
    const std::string file = in.ConsumeRemainingBytesAsString();

    const std::vector<Entry> before = profile::entries(file);
    for (const Entry& e : before)
        CHECK(profile::get(file, e.section, e.key, "").size() < kValueBuffer);
    (void)profile::find(file, section, key);

    const std::optional<std::string> out = profile::put(file, section, key, value);
    CHECK(out.has_value() == profile::canPut(section, key, value));
    if (!out)
        return 0;

    // Read back unchanged, through the buffer as far as it holds.
    CHECK(profile::find(*out, section, key) == value);
    CHECK(profile::get(*out, section, key, "x") == profile::cutToBuffer(value));
    // Writing it again changes nothing.
    CHECK(profile::put(*out, section, key, value) == *out);
    // Every other key keeps its value, and no line but the one edited lost a byte.
    for (const Entry& e : before)
        if (!(profile::namesEqual(e.section, section) && profile::namesEqual(e.key, key)))
            CHECK(profile::find(*out, e.section, e.key) == profile::find(file, e.section, e.key));
    CHECK(removedPart(file, *out).find('\n') == std::string_view::npos);
    return 0;
}
