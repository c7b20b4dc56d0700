// Baseline for the start-up benchmark: the plainest Qt Widgets window of the
// board's size, white, with a title. With --text it also shows one line of
// Japanese text, which makes it load the fonts as any window with text does.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("bare"));
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, Qt::white);
    w.setPalette(pal);
    w.setAutoFillBackground(true);
    w.resize(463, 372);
    if (QCoreApplication::arguments().contains(QStringLiteral("--text")))
        (new QLabel(QStringLiteral("ホヌラ"), &w))->move(200, 200);
    w.show();
    return QApplication::exec();
}
