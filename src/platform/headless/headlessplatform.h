#pragma once
// A platform for tests: no real OS services, every call recorded so that a test
// can see what the program asked for.

#include "platform/platform.h"

#include <QCursor>
#include <QList>
#include <QString>
#include <optional>

namespace honura {

class HeadlessPlatform : public Platform {
  public:
    struct Message {
        QString text;
        int style;
        QString caption;
    };
    // One call of clipCursor: the rectangle, or nothing for a release.
    using ClipCall = std::optional<PixelRect>;

    QString programDir() const override { return dir; }
    QString programBaseName() const override { return baseName; }
    bool anotherInstanceRunning() override { return otherInstance; }
    QString settingsPath() const override;
    void watchForEnd(QWidget*, std::function<void()> end) override { endRequest = std::move(end); }
    QString settingsReadPath() const override
    {
        return readPath.isEmpty() ? settingsPath() : readPath;
    }
    double twipsPerPixelX() const override { return tppX; }
    double twipsPerPixelY() const override { return tppY; }
    void messageBox(const QString& text, int style, const QString& caption = {}) override;
    void setAppCursor(const QCursor* cursor) override;
    bool clipCursor(const PixelRect* rect) override;
    bool openUrl(const QString& url) override;
    bool startProgram(const QString& path) override;
    bool fileExists(const QString& path) const override;
    Registry& registry() override;
    QByteArray toAnsi(const QString& text) const override;
    QString fromAnsi(const QByteArray& bytes) const override;

    // Settings of the fake system.
    QString dir = QStringLiteral("/nonexistent");
    QString baseName = QStringLiteral("honura");
    bool otherInstance = false;
    QString readPath; // the settings file read, when not the one written
    double tppX = 15.0;
    double tppY = 15.0;
    bool startSucceeds = true;
    QList<QString> existingFiles;
    Registry* fakeRegistry = nullptr;

    // What the program asked for.
    std::function<void()> endRequest; // how the system would end the program
    QList<Message> messages;
    QList<ClipCall> clipCalls;
    std::optional<PixelRect> clipped; // the confinement now in force
    std::optional<QCursor> appCursor; // the application-wide cursor now in force
    QList<QString> openedUrls;
    QList<QString> startedPrograms;
};

} // namespace honura
