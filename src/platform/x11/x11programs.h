#pragma once
// Other programs on Linux desktops: the browser, program start, and the
// registry stand-in that finds the system-information tool.

#include "platform/memoryregistry.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace honura {

// System-information viewers, in order of preference, by executable name.
QStringList sysInfoToolNames();

// The registry as the launcher sees it on Linux: the first installed
// system-information viewer answers the tool-path value (a text value holding
// its full path). No directory holds a tool of the Windows file name, so the
// tool-location key is absent. The search runs anew on every open, so a tool
// installed meanwhile is found; with none installed every open fails.
class SysInfoRegistry : public MemoryRegistry {
  public:
    // searchDirs: where to look, in order; empty means $PATH.
    // toAnsi / fromAnsi: the platform's code-page conversion.
    SysInfoRegistry(std::function<QByteArray(const QString&)> toAnsi,
                    std::function<QString(const QByteArray&)> fromAnsi,
                    QStringList searchDirs = {});

    // Full path of the first installed viewer, or empty.
    QString findTool() const;

    long open(std::uint32_t root, const QByteArray& keyPath, std::uint32_t options,
              std::uint32_t access, RegHandle* handle) override;

  private:
    void refresh();

    std::function<QByteArray(const QString&)> toAnsi_;
    std::function<QString(const QByteArray&)> fromAnsi_;
    QStringList searchDirs_;
};

} // namespace honura
