#pragma once
// The one narrow interface through which the program reaches the window system and the OS.
// Everything the windows need beyond plain Qt widgets goes through here, so that the X11,
// Windows and headless (test) backends differ in one place only.

#include <QByteArray>
#include <QEvent>
#include <QMargins>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QCursor;
class QWidget;

namespace honura {

// A rectangle of screen pixels, in the order of the system's rectangle record.
struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Message box styles the program uses.
enum MsgStyle : int {
    MsgOkOnly = 0,   // OK button only, no icon
    MsgCritical = 16 // OK button and the stop icon
};

class Registry;

class Platform {
  public:
    virtual ~Platform() = default;

    // --- Program ---------------------------------------------------------------
    // Directory of the running executable (no trailing separator) and its file
    // name without extension.
    virtual QString programDir() const = 0;
    virtual QString programBaseName() const = 0;
    // True when another instance of this executable (same path) runs already.
    // When none does, the calling process becomes the running instance.
    virtual bool anotherInstanceRunning() = 0;
    // Where the settings file is written: beside the executable, named after
    // it (where the user may not write there, the user's own folder).
    virtual QString settingsPath() const = 0;
    // Where the settings file is read from: settingsPath(), or while the user
    // has no file there yet, the one beside the executable.
    virtual QString settingsReadPath() const = 0;

    // Calls end, on the user-interface thread, when the system asks the program
    // to end (a termination signal, the end of the session) and when another
    // program destroys window: end closes the board as its quit command does.
    virtual void watchForEnd(QWidget* window, std::function<void()> end) = 0;

    // --- Screen ----------------------------------------------------------------
    // Twips (1/1440 inch) per logical pixel of the primary screen.
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;

    // --- User interaction ------------------------------------------------------
    // A modal message box with one OK button; style is a MsgStyle; an empty
    // caption means the application title. Returns when dismissed.
    virtual void messageBox(const QString& text, int style, const QString& caption = {}) = 0;
    // Application-wide cursor over all of the program's windows; nullptr gives
    // every window its own cursor back.
    virtual void setAppCursor(const QCursor* cursor) = 0;
    // Confines the pointer to rect (screen pixels, right and bottom exclusive),
    // or releases any confinement for nullptr. Returns the system's success flag.
    virtual bool clipCursor(const PixelRect* rect) = 0;

    // --- Windows of the program --------------------------------------------------
    // The frame the system puts around the top-level widget w, in logical
    // pixels, as it is now: empty until the window has been framed, and where
    // it has none. (Qt's own account of a widget's frame is the first one it
    // saw, which a maximised window no longer has.) Where the frame changes
    // without a move or a resize, w is sent an event of frameChangeEvent().
    virtual QMargins windowFrame(const QWidget& w) const;
    // Whether w is shown neither maximised nor minimised nor full screen, as
    // the system has it now, possibly before Qt's events have told the widget.
    virtual bool inNormalState(const QWidget& w) const;
    // Gives the fixed-size dialog w, before it is shown, a title bar with the
    // close box only: no minimise and no maximise button.
    virtual void useDialogFrame(QWidget& w);

    // --- Other programs --------------------------------------------------------
    // Opens url in a new browser window; never blocks, never throws.
    virtual bool openUrl(const QString& url) = 0;
    // Starts the executable at path with a normal, activated window.
    virtual bool startProgram(const QString& path) = 0;
    // True when path names an existing ordinary file.
    virtual bool fileExists(const QString& path) const = 0;
    // The system's registry, or this platform's stand-in for it.
    virtual Registry& registry() = 0;

    // --- Text ------------------------------------------------------------------
    // Conversion to and from the settings file's code page (CP932).
    virtual QByteArray toAnsi(const QString& text) const = 0;
    virtual QString fromAnsi(const QByteArray& bytes) const = 0;
};

// The type of the event a top-level widget is sent when the system changed
// its frame (see Platform::windowFrame).
QEvent::Type frameChangeEvent();

// The platform the running program uses. main() installs the desktop backend;
// tests install the headless one.
Platform& platform();
void setPlatform(std::unique_ptr<Platform> p);

// The desktop backend of the system the program was built for (X11 or Windows).
std::unique_ptr<Platform> createDesktopPlatform();

} // namespace honura
