#pragma once
// The font dialog of the command "字体": a face from the font list, one of the
// four styles the board keeps (regular, italic, bold, bold italic; a face
// without a bold or an italic of its own is drawn with a synthetic one) and a
// size in points, with a sample in the chosen font. Its texts are Qt's own
// (Qt's Japanese translation where loaded), the style names included, so the
// dialog speaks one language. It knows the faces by name only: a face the font
// list holds without styles, or one that is not installed, is listed and drawn
// like any other.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace honura {

class FontDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FontDialog(const QStringList& faces, QWidget* parent = nullptr);

    // Shows face (selected in the list where listed), the style of bold and
    // italic, and points.
    void setChoice(const QString& face, double points, bool bold, bool italic);
    QString face() const;
    bool bold() const;
    bool italic() const;
    // The size in the size box, brought to the nearest size allowed; nothing
    // while the box holds no number (the dialog then refuses OK and says why).
    std::optional<double> points() const;

    QListWidget* faceList() const { return faceList_; }
    QListWidget* styleList() const { return styleList_; }
    QListWidget* sizeList() const { return sizeList_; }
    QLineEdit* sizeEdit() const { return sizeEdit_; }
    QLineEdit* sample() const { return sample_; }
    QLabel* sizeRefusal() const { return sizeRefusal_; }

    void accept() override;

  private:
    void buildControls(const QStringList& faces);
    void faceChosen();
    void styleChosen();
    void sizeChosen();
    void sizeTyped();
    // Writes the nearest allowed size into the size box.
    void settleSize();
    void updateSample();

    QLineEdit* faceEdit_ = nullptr;
    QListWidget* faceList_ = nullptr;
    QLineEdit* styleEdit_ = nullptr;
    QListWidget* styleList_ = nullptr;
    QLineEdit* sizeEdit_ = nullptr;
    QListWidget* sizeList_ = nullptr;
    QLabel* sizeRefusal_ = nullptr;
    QLineEdit* sample_ = nullptr;
    QPushButton* ok_ = nullptr;
    double lastPoints_ = 16; // the sample's size while the box holds no number
};

} // namespace honura
