// Baselines for the start-up benchmark: the plainest Qt Widgets windows of the
// board's size, white, with a title.
//   (no option)  an empty window
//   --text       one line of Japanese text, which loads the fonts as any
//                window with text does
//   --kana       a menu bar of four commands and 67 kana labels in the
//                default font, in an 11-column grid
//   --same       what a plain Qt program with the board's contents costs: the
//                same in the board's font (the face drawn for its default,
//                16 points, bold), with a text box and a picture of the
//                torii's size above the labels
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("bare"));
    auto* client = new QWidget(&w);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, Qt::white);
    client->setPalette(pal);
    client->setAutoFillBackground(true);
    w.setCentralWidget(client);
    if (args.contains(QStringLiteral("--text")))
        (new QLabel(QStringLiteral("ホヌラ"), client))->move(200, 200);
    const bool same = args.contains(QStringLiteral("--same"));
    if (same) {
        (new QLineEdit(client))->setGeometry(23, 2, 417, 25);
        QPixmap picture(70, 54);
        picture.fill(Qt::red);
        auto* torii = new QLabel(client);
        torii->setPixmap(picture);
        torii->setGeometry(196, 43, 70, 54);
    }
    if (args.contains(QStringLiteral("--kana")) || same) {
        const QFont boardFont(QStringLiteral("IPAPMincho"), 16, QFont::Bold);
        for (const char* caption : {"終了", "字体", "記録", "ホヌラについて"})
            w.menuBar()->addAction(QString::fromUtf8(caption));
        // The board's table, row by row (_ marks a blank cell), and the two answers.
        const QString table =
            QStringLiteral("んわらやまはなたさかあ_ゐり_みひにちしきい_うるゆむふぬつすくう"
                           "_ゑれ_めへねてせけえ_をろよもほのとそこお_一二三四五六七八九");
        for (int i = 0; i < 67; ++i) {
            const QString caption = i < 65 ? QString(table.at(i)).remove(u'_')
                                           : QString::fromUtf8(i == 65 ? "はい" : "いいえ");
            auto* l = new QLabel(caption, client);
            l->setGeometry((i % 11) * 40, 110 + (i / 11) * 37, 40, 37);
            l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            if (same)
                l->setFont(boardFont);
        }
    }
    w.resize(463, 372);
    w.show();
    return QApplication::exec();
}
