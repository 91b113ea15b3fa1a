// Qt's own texts come from the embedded catalogue, whatever the locale (the suite runs under LANG=C).
#include <QCoreApplication>
#include <QTranslator>

#include "window_fixture.h"

namespace {

using LanguageTest = WindowFixture;

TEST_F(LanguageTest, StandardButtonsReadChineseUnderAnyLocale)
{
    QTranslator catalogue;
    ASSERT_TRUE(catalogue.load(":/Tamblo/image/qt_zh_CN.qm", "", "", ""));
    ASSERT_TRUE(QCoreApplication::installTranslator(&catalogue));

    BoxSeen confirm, end, saved;
    driver.then(chooseFile(writeScript("one.tbcode", "LBUTTONDOWN:1:1\n")))
        .then(answerBox(QMessageBox::Yes, &confirm))
        .then(answerBox(QMessageBox::Yes, &end))
        .then(chooseFile(scratchFile("saved.tbcode")))
        .then(answerBox(QMessageBox::Ok, &saved));
    window.onclickedPlay();
    window.setRecording(false);
    QCoreApplication::removeTranslator(&catalogue);

    confirm.buttonTexts.sort();
    EXPECT_EQ(confirm.buttonTexts, (QStringList{"否(&N)", "是(&Y)"}));
    EXPECT_EQ(end.buttonTexts, QStringList{"是(&Y)"});
    EXPECT_EQ(saved.buttonTexts, QStringList{"确定"});
}

}  // namespace
