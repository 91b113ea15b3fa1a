#pragma once

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modal_driver.h"
#include "platform/fake/fake_platform.h"
#include "ui/qtamblo.h"
#include "ui/window_commands.h"

// A window on the fake platform, shown, with a scratch folder for script files.
class WindowFixture : public ::testing::Test {
protected:
    WindowFixture() { window.show(); }

    QPushButton* recordButton() { return window.findChild<QPushButton*>(QStringLiteral("pushButton")); }
    QPushButton* playButton() { return window.findChild<QPushButton*>(QStringLiteral("pb_play")); }
    QCheckBox* loopBox() { return window.findChild<QCheckBox*>(QStringLiteral("ck_playaround")); }

    QString scratchFile(const QString& name) const { return folder.filePath(name); }
    QString writeScript(const QString& name, const QByteArray& text) const
    {
        const QString path = scratchFile(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    static QByteArray contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    int injected(const std::string& what) const
    {
        int count = 0;
        for (const auto& call : platform.calls)
            count += call.what == what;
        return count;
    }

    QTemporaryDir folder;
    FakePlatform platform;
    QTamblo window{platform};
    ModalDriver driver;
};
