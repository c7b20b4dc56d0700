#pragma once
// What the X11 and Windows backends share: everything Qt already does the same
// way on both systems.

#include "platform/platform.h"

namespace honura {

// Where the settings file goes: beside the executable, named after it, when
// its directory holds the settings (see programDirHoldsSettings); otherwise,
// as for an installed program, the same file name in the user's configuration
// directory for the program.
QString settingsPathFor(const QString& programDir, const QString& baseName, bool besideProgram,
                        const QString& userConfigDir);

// Where the settings are read from: the file where they are written (see
// settingsPathFor) once it exists; before that, a file beside the executable
// where the settings are written elsewhere (an installed program's own).
QString settingsReadPathFor(const QString& writePath, const QString& besidePath,
                            bool writePathExists, bool besideExists);

// The name the settings file takes from the executable's file name: on
// Windows the name without ".exe"; elsewhere an executable has no extension,
// and the whole file name is its base name ("honura-1.0.1").
QString settingsBaseName(const QString& fileName, bool windows);

// Whether an executable in the directory dir (its canonical path) keeps its
// settings beside itself on a Unix system: only where the invoking user owns
// the directory and may write there, and never in a system folder (/usr,
// /opt), where a program run as root could write but a package owns the place.
bool programDirHoldsSettings(const QString& dir, bool ownedByInvokingUser, bool writable);

class DesktopPlatform : public Platform {
  public:
    QString programDir() const override;
    QString programBaseName() const override;
    QString settingsPath() const override;
    QString settingsReadPath() const override;
    void watchForEnd(QWidget* window, std::function<void()> end) override;
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
