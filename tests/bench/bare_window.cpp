// Baseline for the start-up benchmark: the plainest Qt Widgets window of the
// board's size, white, with a title.
#include <QApplication>
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
    w.show();
    return QApplication::exec();
}
