#pragma once
// The record window: the messages committed on the board during this run, in
// one editable text whose lines end in CR LF, with a button that erases it and
// one that hides the window. There is at most one record window; the close box
// destroys it together with its text. It is the board's dialog: transient for
// the board, so that the window manager keeps it above the board and never
// minimises it on its own. Enter and Esc press nothing in it.

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringView>

class QPlainTextEdit;
class QPushButton;

namespace honura {

class FrmLog : public QDialog {
    Q_OBJECT
  public:
    ~FrmLog() override;

    // The record window, created hidden with an empty record when absent, as
    // the dialog of owner's window where an owner is given.
    static FrmLog& instance(QWidget* owner = nullptr);
    // The record window if it exists, else nullptr.
    static FrmLog* existing();
    // Shows the record window modally, creating it when absent; returns once
    // it is hidden or destroyed.
    static void showModal(QWidget* owner = nullptr);

    // The record: the text of TxtLog, user edits included, lines ending in CR LF.
    QString record() const;
    void setRecord(QStringView text);
    // Same as setRecord(record() + text), at the cost of text only.
    void appendRecord(QStringView text);

    QPlainTextEdit* TxtLog() const { return txtLog_; }
    QPushButton* CmdClose() const { return cmdClose_; }
    QPushButton* CmdErase() const { return cmdErase_; }

    void CmdClose_Click();
    void CmdErase_Click();

  Q_SIGNALS:
    // The window was hidden or is being destroyed: a modal showing ends.
    void dismissed();

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    explicit FrmLog(QWidget* owner);
    void buildControls();
    void centreOnScreen();
    // After writing: the box shows the text from its beginning, as after any
    // replacement of its text.
    void showFromStart();

    QPlainTextEdit* txtLog_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QPushButton* cmdErase_ = nullptr;
    bool placed_ = false;          // centred at its first showing
    bool recentrePending_ = false; // centred before the window manager framed it
};

} // namespace honura
