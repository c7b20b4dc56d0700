#pragma once
// The board window: the spirit board with its character cells, the yes and no
// fields, the torii and the message box, and the menu bar of four commands.

#include "board/boarddef.h"
#include "board/layout.h"
#include "controls/announcer.h"
#include "controls/lineedit.h"

#include <QFont>
#include <QMainWindow>
#include <QRectF>
#include <array>
#include <cstdint>

class QAction;
class QLabel;

namespace honura {

class BoardArea;
class ClickLabel;
class MenuStrip;

// The board's saved geometry, in twips: outer rectangle, top and left from the
// screen's top-left corner.
struct FormGeometry {
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t width = 6945;
    std::int32_t height = 5580;
    friend bool operator==(const FormGeometry&, const FormGeometry&) = default;
};

class FrmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    // Start-up sequence, before the window is first shown. Returns false when
    // the program must end at once (another instance runs).
    bool startUp();

    // Layout.
    void BoardSet();
    void TxtMsgSet();
    void ImgMarkSet();
    // Gives every board label the board font.
    void FontSet();

    // Settings file: read at start-up, written at shut-down.
    void SettingLoad();
    void SettingSave();
    // Copies the window's current outer rectangle into the saved geometry.
    void GeometryRefresh();

    // Pointer confinement to the client area, and its release.
    void CursorClip();
    void CursorFree();

    // Event handlers.
    void LblChar_Click(int index);
    void ImgMark_Click();
    void ImgMark_DblClick();
    void MnuEnd_Click();
    void MnuFont_Click();
    void MnuLog_Click();
    void MnuAbout_Click();

    // The board font: the window's own font, which only the board labels show.
    const QFont& boardFont() const { return boardFont_; }
    void setBoardFont(const QFont& f) { boardFont_ = f; }

    bool Possessed() const { return possessed_; }
    // Tells a screen reader what a click did.
    Announcer& announcer() { return announcer_; }
    const FormGeometry& savedGeometry() const { return formGeometry_; }

    // Window geometry in twips: the outer rectangle (frame included) in screen
    // coordinates, and the client area below the menu bar.
    QRectF outerTwips() const;
    QSizeF clientTwips() const;
    // Places the window so that its outer rectangle is g (twips). Where the
    // window manager has not framed the window yet, the size is corrected once
    // the frame is known.
    void setOuterTwips(const FormGeometry& g);

    // Controls.
    ClickLabel* LblChar(int index) const { return cells_.at(static_cast<std::size_t>(index)); }
    static constexpr int LblCharUBound() { return layout::kCellCount - 1; }
    QLabel* lblYes() const { return lblYes_; }
    QLabel* lblNo() const { return lblNo_; }
    LineEdit* TxtMsg() const { return txtMsg_; }
    ClickLabel* ImgMark() const { return imgMark_; }
    QLabel* ImgHide() const { return imgHide_; }
    QAction* menuCommand(int order) const { return menu_.at(static_cast<std::size_t>(order)); }
    MenuStrip* menuStrip() const { return menuStrip_; }
    QWidget* clientArea() const;

  protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void buildControls();
    void buildMenu();
    void relayout();
    void place(QWidget* w, const twips::TwipBox& box) const;
    void applyPendingFrameFix();
    QSize frameExtra() const;
    void noteNormalGeometry();
    // Gives the board's icon to the application, where it has none yet.
    void shareIcon() const;
    QCursor possessionHand();

    BoardArea* client_ = nullptr;
    MenuStrip* menuStrip_ = nullptr;
    LineEdit* txtMsg_ = nullptr;
    ClickLabel* imgMark_ = nullptr;
    QLabel* imgHide_ = nullptr;
    QLabel* lblYes_ = nullptr;
    QLabel* lblNo_ = nullptr;
    std::array<ClickLabel*, layout::kCellCount> cells_{};
    std::array<QAction*, 4> menu_{};

    Announcer announcer_{this};
    QFont boardFont_;
    FormGeometry formGeometry_;
    bool possessed_ = false;
    bool closing_ = false;
    // Outer geometry asked for before the window manager framed the window.
    bool frameFixPending_ = false;
    QSize frameSeen_;
    FormGeometry pendingOuter_;
    // Outer rectangle (twips) of the window when last in the normal state.
    QRectF lastNormalOuter_;
};

} // namespace honura
