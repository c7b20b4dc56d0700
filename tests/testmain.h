#pragma once
// Shared set-up of the widget tests: a QApplication on the offscreen platform
// with the headless platform backend installed, so that nothing touches the OS.

#include "platform/headless/headlessplatform.h"

#include <QApplication>
#include <QFont>
#include <QTest>

namespace honura::test {

// The headless backend the current test runs on.
inline HeadlessPlatform& fake() { return static_cast<HeadlessPlatform&>(platform()); }

// Installs a fresh headless backend (new recordings, default settings).
inline HeadlessPlatform& resetPlatform()
{
    setPlatform(std::make_unique<HeadlessPlatform>());
    return fake();
}

} // namespace honura::test

// Like QTEST_MAIN, with the headless backend installed first.
#define HONURA_TEST_MAIN(TestObject)                                                               \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));    \
        honura::test::resetPlatform();                                                             \
        TestObject tc;                                                                             \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
