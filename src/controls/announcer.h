#pragma once
// Short messages for a screen reader, such as the result of a click. Qt has no
// call to speak through assistive technology, and the name and description
// changes it reports carry no text a screen reader could say; a notification
// shown in a status bar is said at once, whatever has the focus. The
// announcer is such a status bar of its window, seen by assistive technology
// only: a notification that holds the message as a label.

#include <QAccessible>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace honura {

class Announcer {
  public:
    explicit Announcer(QWidget* window) : window_(window) {}
    ~Announcer();
    Announcer(const Announcer&) = delete;
    Announcer& operator=(const Announcer&) = delete;

    // Says message. Messages passed during one turn of the event loop are
    // said together, once it ends.
    void say(const QString& message);
    // The message last said, empty before the first.
    QString lastMessage() const;

  private:
    void show();

    QPointer<QWidget> window_;
    QString pending_;
    // The status bar, its notification and the notification's label.
    QAccessible::Id ids_[3] = {};
};

} // namespace honura
