#pragma once
// What the X11 and Windows backends share: everything Qt already does the same
// way on both systems.

#include "platform/platform.h"

namespace honura {

// Where the settings file goes: beside the executable, named after it, when the
// executable's directory can be written; otherwise, as for an installed program,
// the same file name in the user's configuration directory for the program.
QString settingsPathFor(const QString& programDir, const QString& baseName, bool programDirWritable,
                        const QString& userConfigDir);

class DesktopPlatform : public Platform {
  public:
    QString programDir() const override;
    QString programBaseName() const override;
    QString settingsPath() const override;
    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
    void messageBox(const QString& text, int style, const QString& caption = {}) override;
    void setAppCursor(const QCursor* cursor) override;
    bool fileExists(const QString& path) const override;

  protected:
    // Identifies this executable among the running programs: its canonical path.
    QString instanceKey() const;
};

// A rectangle of Qt's logical pixels in the system's device pixels: scaled by
// the device pixel ratio of the screen that holds its centre (1 unless Qt
// scales the program).
PixelRect toDevicePixels(const PixelRect& logical);

// True for an address a browser may be given: an absolute http or https URL
// (never a local file, never something a program could take for an option).
bool browsableUrl(const QString& url);

} // namespace honura
