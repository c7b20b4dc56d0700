#pragma once
// The backend for Linux desktops: X11 directly, Wayland through XWayland.

#include "platform/desktop.h"

namespace honura {

class X11Platform : public DesktopPlatform {
  public:
    X11Platform();
    ~X11Platform() override;

    bool anotherInstanceRunning() override;
    void watchForEnd(QWidget* window, std::function<void()> end) override;
    bool clipCursor(const PixelRect* rect) override;
    bool openUrl(const QString& url) override;
    bool startProgram(const QString& path) override;
    Registry& registry() override;
    QByteArray toAnsi(const QString& text) const override;
    QString fromAnsi(const QByteArray& bytes) const override;
    QMargins windowFrame(const QWidget& w) const override;
    void useDialogFrame(QWidget& w) override;

  private:
    int lockFd_ = -1;   // the lock in the user's runtime folder
    int socketFd_ = -1; // the socket bound to the instance's abstract name
};

// Checks that the X display named by $DISPLAY can be opened. On failure writes
// one line to stderr and returns false.
bool x11DisplayReachable();

} // namespace honura
