#pragma once
// The backend for Windows.

#include "platform/desktop.h"

namespace honura {

class Win32Platform : public DesktopPlatform {
  public:
    Win32Platform();
    ~Win32Platform() override;

    bool anotherInstanceRunning() override;
    bool clipCursor(const PixelRect* rect) override;
    bool openUrl(const QString& url) override;
    bool startProgram(const QString& path) override;
    Registry& registry() override;
    QByteArray toAnsi(const QString& text) const override;
    QString fromAnsi(const QByteArray& bytes) const override;
    QMargins windowFrame(const QWidget& w) const override;
    bool inNormalState(const QWidget& w) const override;

  private:
    void* mutex_ = nullptr; // HANDLE of the instance mutex
};

} // namespace honura
