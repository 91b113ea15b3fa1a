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

// Points XDG_DATA_HOME at the test's scratch folder for the life of the object.
class ScopedDataHome {
public:
    explicit ScopedDataHome(const QString& path) : saved(qgetenv("XDG_DATA_HOME")), hadValue(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", path.toLocal8Bit());
    }
    ~ScopedDataHome()
    {
        if (hadValue)
            qputenv("XDG_DATA_HOME", saved);
        else
            qunsetenv("XDG_DATA_HOME");
    }

private:
    QByteArray saved;
    bool hadValue;
};

// A window on the fake platform, shown, with a scratch folder for script files that is also where
// the window keeps recordings it could not save.
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
    ScopedDataHome dataHome{folder.path()};
    FakePlatform platform;
    QTamblo window{platform};
    ModalDriver driver;
};
