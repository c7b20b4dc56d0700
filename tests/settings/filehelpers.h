#pragma once
// Reading and writing whole test files, and the settings file the defaults give.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

namespace honura::test {

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline const QByteArray kDefaultFile = "[FONT]\r\n"
                                       "NAME=\x82\x6C\x82\x72\x20\x82\x6F\x96\xBE\x92\xA9\r\n"
                                       "SIZE=16\r\n"
                                       "BOLD=True\r\n"
                                       "ITALIC=False\r\n"
                                       "[Form]\r\n"
                                       "TOP=0\r\n"
                                       "LEFT=0\r\n"
                                       "WIDTH=6945\r\n"
                                       "HEIGHT=5580\r\n";

} // namespace honura::test
