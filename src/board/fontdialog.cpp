#include "board/fontdialog.h"

#include "board/boardfont.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>

namespace honura {

namespace {

QString dialogText(const char* text) { return QCoreApplication::translate("QFontDialog", text); }

// A label's text as a name for assistive technology: without its access key.
QString withoutAccessKey(QString text)
{
    static const QRegularExpression key(QStringLiteral("\\(&.\\)|&"));
    return text.remove(key).trimmed();
}

// The style list's rows: regular, italic, bold, bold italic.
constexpr bool kStyleBold[] = {false, false, true, true};
constexpr bool kStyleItalic[] = {false, true, false, true};

void selectRow(QListWidget* list, int row)
{
    const QSignalBlocker quiet(list);
    if (row < 0) {
        list->setCurrentRow(-1);
        list->clearSelection();
        return;
    }
    list->setCurrentRow(row);
    list->scrollToItem(list->item(row));
}

} // namespace

FontDialog::FontDialog(const QStringList& faces, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(dialogText("Select Font"));
    buildControls(faces);
}

void FontDialog::buildControls(const QStringList& faces)
{
    auto* grid = new QGridLayout(this);
    // Three columns: a caption, a field and a list each. The caption's access
    // key leads to the list, for the size to its field.
    const auto column = [&](int col, const char* caption, QLineEdit*& edit, QListWidget*& list) {
        edit = new QLineEdit(this);
        list = new QListWidget(this);
        auto* label = new QLabel(dialogText(caption), this);
        label->setBuddy(col == 2 ? static_cast<QWidget*>(edit) : list);
        edit->setAccessibleName(withoutAccessKey(label->text()));
        list->setAccessibleName(withoutAccessKey(label->text()));
        grid->addWidget(label, 0, col);
        grid->addWidget(edit, 1, col);
        grid->addWidget(list, 2, col);
    };
    column(0, "&Font", faceEdit_, faceList_);
    column(1, "Font st&yle", styleEdit_, styleList_);
    column(2, "&Size", sizeEdit_, sizeList_);
    grid->setColumnStretch(0, 38);
    grid->setColumnStretch(1, 24);
    grid->setColumnStretch(2, 10);

    // The face and the style are chosen in their lists; the fields above them
    // show the choice. The size is typed or chosen.
    for (QLineEdit* e : {faceEdit_, styleEdit_}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    faceList_->addItems(faces);
    for (int i = 0; i < 4; ++i)
        styleList_->addItem(styleName(kStyleBold[i], kStyleItalic[i]));
    for (double points : listedPointSizes())
        sizeList_->addItem(pointSizeText(points));
    for (QListWidget* list : {faceList_, styleList_, sizeList_})
        list->setSelectionMode(QAbstractItemView::SingleSelection);

    sizeRefusal_ = new QLabel(QStringLiteral("サイズは数字で入力してください。"), this);
    sizeRefusal_->setWordWrap(true);
    sizeRefusal_->hide();
    grid->addWidget(sizeRefusal_, 3, 0, 1, 3);

    auto* sampleBox = new QGroupBox(dialogText("Sample"), this);
    auto* sampleLayout = new QHBoxLayout(sampleBox);
    sample_ = new QLineEdit(QStringLiteral("AaBbYyZz あいうえお"), sampleBox);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setAccessibleName(withoutAccessKey(sampleBox->title()));
    // Three lines of the dialog's own font: room for a large sample.
    sample_->setMinimumHeight(3 * fontMetrics().height());
    sampleLayout->addWidget(sample_);
    grid->addWidget(sampleBox, 4, 0, 1, 3);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &FontDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FontDialog::reject);
    grid->addWidget(buttons, 5, 0, 1, 3);
    grid->setRowStretch(2, 1);

    connect(faceList_, &QListWidget::currentRowChanged, this, &FontDialog::faceChosen);
    connect(styleList_, &QListWidget::currentRowChanged, this, &FontDialog::styleChosen);
    connect(sizeList_, &QListWidget::currentRowChanged, this, &FontDialog::sizeChosen);
    connect(sizeEdit_, &QLineEdit::textChanged, this, &FontDialog::sizeTyped);
    connect(sizeEdit_, &QLineEdit::editingFinished, this, &FontDialog::settleSize);

    setTabOrder(faceList_, styleList_);
    setTabOrder(styleList_, sizeEdit_);
    setTabOrder(sizeEdit_, sizeList_);
    setTabOrder(sizeList_, sample_);
    faceList_->setFocus();
    // 80 characters of the dialog's font wide (the lists would ask for the
    // width of their longest names), lists of about ten rows. A face name
    // longer than its column is cut short with an ellipsis, as the system's
    // font dialogs show them, not scrolled sideways.
    faceList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    resize(QSize(80 * fontMetrics().averageCharWidth(), 26 * fontMetrics().height())
               .expandedTo(minimumSizeHint()));
}

void FontDialog::setChoice(const QString& face, double points, bool bold, bool italic)
{
    const QList<QListWidgetItem*> found = faceList_->findItems(face, Qt::MatchFixedString);
    selectRow(faceList_, found.isEmpty() ? -1 : faceList_->row(found.first()));
    faceEdit_->setText(face);
    selectRow(styleList_, (bold ? 2 : 0) + (italic ? 1 : 0));
    styleEdit_->setText(styleList_->currentItem()->text());
    sizeEdit_->setText(pointSizeText(points));
    updateSample();
}

QString FontDialog::face() const { return faceEdit_->text(); }

bool FontDialog::bold() const { return kStyleBold[std::max(0, styleList_->currentRow())]; }

bool FontDialog::italic() const { return kStyleItalic[std::max(0, styleList_->currentRow())]; }

std::optional<double> FontDialog::points() const { return pointSizeFromText(sizeEdit_->text()); }

void FontDialog::faceChosen()
{
    if (QListWidgetItem* item = faceList_->currentItem())
        faceEdit_->setText(item->text());
    updateSample();
}

void FontDialog::styleChosen()
{
    if (QListWidgetItem* item = styleList_->currentItem())
        styleEdit_->setText(item->text());
    updateSample();
}

void FontDialog::sizeChosen()
{
    if (QListWidgetItem* item = sizeList_->currentItem()) {
        const QSignalBlocker quiet(sizeEdit_);
        sizeEdit_->setText(item->text());
    }
    sizeTyped();
}

// Typing: the list follows where it holds the size; text that is no number
// is refused with a word why, and OK waits for a number.
void FontDialog::sizeTyped()
{
    const std::optional<double> p = points();
    sizeRefusal_->setVisible(!p);
    ok_->setEnabled(p.has_value());
    if (p) {
        const int row = static_cast<int>(listedPointSizes().indexOf(*p));
        if (row != sizeList_->currentRow())
            selectRow(sizeList_, row);
    }
    updateSample();
}

void FontDialog::settleSize()
{
    if (const std::optional<double> p = points(); p && sizeEdit_->text() != pointSizeText(*p))
        sizeEdit_->setText(pointSizeText(*p));
}

void FontDialog::updateSample()
{
    if (const std::optional<double> p = points())
        lastPoints_ = *p;
    sample_->setFont(makeFont(face(), lastPoints_, bold(), italic()));
}

void FontDialog::accept()
{
    if (!points())
        return;
    settleSize();
    QDialog::accept();
}

} // namespace honura
