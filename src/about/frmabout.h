#pragma once
// The About window: title, version, usage description, the author's home-page
// link and the button that starts the system's information tool. Loaded
// afresh each time the board's About command shows it.

#include "about/aboutdef.h"
#include "platform/appinfo.h"

#include <QDialog>
#include <QPoint>
#include <QString>
#include <cstdint>

class QLabel;
class QPushButton;

namespace honura {

class ClickLabel;

// "ﾊﾞｰｼﾞｮﾝ 1.0.1" for version 1.0.1: major, minor and revision in plain decimal.
QString versionText(const AppVersion& v);

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    // Load steps: the caption, lblVersion and lblTitle.
    void Form_Load();

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void Label2_Click();

    // Finds the system-information tool through the registry and starts it,
    // or tells the user that it is not available.
    static void StartSysInfo();
    // Reads value SubKeyRef of key KeyName under KeyRoot as text into KeyVal.
    // True when the value was read; a value of a type without text leaves
    // KeyVal as it was.
    static bool GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                            QString& KeyVal);

    // Screen position (pixels) of the client area's top-left corner.
    QPoint clientTarget() const;

    // Controls.
    QLabel* picIcon() const { return picIcon_; }
    QLabel* lblTitle() const { return lblTitle_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* lblDescription() const { return lblDescription_; }
    QLabel* Label1() const { return label1_; }
    ClickLabel* Label2() const { return label2_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdSysInfo() const { return cmdSysInfo_; }

  protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

  private:
    QWidget* makeControl(const aboutdef::ControlDef& def);
    void buildControls();
    void placeWindow();
    void correctPlacement();

    QLabel* picIcon_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QLabel* label1_ = nullptr;
    ClickLabel* label2_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdSysInfo_ = nullptr;
    // The window manager may still move the window once it has framed it.
    bool placementChecked_ = false;
};

} // namespace honura
