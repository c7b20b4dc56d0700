// Baselines for the start-up benchmark: the plainest Qt Widgets windows of the
// board's size, white, with a title.
//   (no option)  an empty window
//   --text       one line of Japanese text, which loads the fonts as any
//                window with text does
//   --kana       what a plain Qt program with the board's contents costs: a
//                menu bar of four commands and 67 kana labels in the default
//                font, in an 11-column grid
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

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
    if (args.contains(QStringLiteral("--kana"))) {
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
        }
    }
    w.resize(463, 372);
    w.show();
    return QApplication::exec();
}
