#include "controls/announcer.h"

#include <QWindow>

namespace honura {

namespace {

// One part of the announcer: a status bar, a notification or a label, each
// the only child of the one before; the status bar's parent is the window.
class Part : public QAccessibleInterface {
  public:
    Part(QWidget* window, QAccessible::Role role, Part* parent)
        : window_(window), role_(role), parent_(parent)
    {
    }

    bool isValid() const override { return window_; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return parent_ ? static_cast<QAccessibleInterface*>(parent_)
                       : QAccessible::queryAccessibleInterface(window_.data());
    }
    QAccessibleInterface* child(int index) const override { return index == 0 ? child_ : nullptr; }
    int childCount() const override { return child_ ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        return c && c == child_ ? 0 : -1;
    }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? message : QString();
    }
    void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}
    QRect rect() const override { return window_ ? window_->frameGeometry() : QRect(); }
    QAccessible::Role role() const override { return role_; }
    QAccessible::State state() const override { return {}; }

    QString message;
    Part* child_ = nullptr;

  private:
    QPointer<QWidget> window_;
    QAccessible::Role role_;
    Part* parent_;
};

Part* part(QAccessible::Id id) { return static_cast<Part*>(QAccessible::accessibleInterface(id)); }

} // namespace

Announcer::~Announcer()
{
    for (QAccessible::Id id : ids_)
        if (id)
            QAccessible::deleteAccessibleInterface(id);
}

void Announcer::say(const QString& message)
{
    if (message.isEmpty() || !window_)
        return;
    if (pending_.isEmpty())
        QMetaObject::invokeMethod(
            window_, [this] { show(); }, Qt::QueuedConnection);
    else
        pending_ += u'\u3002'; // 。
    pending_ += message;
}

QString Announcer::lastMessage() const { return ids_[2] ? part(ids_[2])->message : QString(); }

// The notification is hidden and shown again with its new label: a screen
// reader says a notification as it is shown.
void Announcer::show()
{
    if (!ids_[0]) {
        auto* bar = new Part(window_, QAccessible::StatusBar, nullptr);
        auto* note = new Part(window_, QAccessible::Notification, bar);
        auto* label = new Part(window_, QAccessible::StaticText, note);
        bar->child_ = note;
        note->child_ = label;
        ids_[0] = QAccessible::registerAccessibleInterface(bar);
        ids_[1] = QAccessible::registerAccessibleInterface(note);
        ids_[2] = QAccessible::registerAccessibleInterface(label);
    }
    part(ids_[2])->message = std::exchange(pending_, QString());
    QAccessibleInterface* note = part(ids_[1]);
    QAccessibleEvent hidden(note, QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&hidden);
    QAccessibleEvent shown(note, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace honura
