// The system-information launcher of the About window: the tool is found
// through two registry values and started; any failure on the way ends in one
// message.
#include "about/frmabout.h"
#include "about/regvalue.h"
#include "platform/platform.h"
#include "platform/registry.h"

#include <array>

namespace honura {

namespace {

// Where the tool's full path is kept.
constexpr auto kToolPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr auto kToolPathValue = "PATH";
// Where the directory holding the tool is kept, and the tool's file name in it.
constexpr auto kToolDirKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr auto kToolDirValue = "MSINFO";
constexpr auto kToolFile = "\\MSINFO32.EXE";

} // namespace

void frmAbout::StartSysInfo()
{
    QString SysInfoPath;
    bool found = GetKeyValue(kHkeyLocalMachine, QString::fromLatin1(kToolPathKey),
                             QString::fromLatin1(kToolPathValue), SysInfoPath);
    if (!found && GetKeyValue(kHkeyLocalMachine, QString::fromLatin1(kToolDirKey),
                              QString::fromLatin1(kToolDirValue), SysInfoPath)) {
        const QString candidate = SysInfoPath + QString::fromLatin1(kToolFile);
        found = platform().fileExists(candidate);
        SysInfoPath = candidate;
    }
    if (found && platform().startProgram(SysInfoPath))
        return;
    platform().messageBox(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"), MsgOkOnly);
}

bool frmAbout::GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                           QString& KeyVal)
{
    Registry& reg = platform().registry();
    RegHandle hKey = 0;
    if (reg.open(KeyRoot, platform().toAnsi(KeyName), 0, kKeyAllAccess, &hKey) != 0) {
        KeyVal.clear();
        return false;
    }

    std::array<unsigned char, regvalue::kBufferSize> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = regvalue::kBufferSize;
    const long rc = reg.query(hKey, platform().toAnsi(SubKeyRef), &type, buffer.data(), &size);
    if (rc != 0 || size > regvalue::kBufferSize) {
        KeyVal.clear();
        reg.close(hKey);
        return false;
    }

    const QByteArrayView data(buffer.data(), static_cast<qsizetype>(size));
    switch (type) {
    case kRegSz:
        KeyVal = platform().fromAnsi(regvalue::textBytes(data));
        break;
    case kRegDword:
        KeyVal = regvalue::dwordText(data);
        break;
    default: // no text: KeyVal keeps what it held
        break;
    }
    reg.close(hKey);
    return true;
}

} // namespace honura
