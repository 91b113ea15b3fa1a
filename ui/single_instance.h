#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running window per user and display. The first start listens under the instance name; a
// later start finds it there, asks it to show its window and ends. A name left behind by an
// instance that was killed is taken over.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role { First, AnotherRuns };

    explicit SingleInstance(QString name, QObject* parent = nullptr);

    // First: this instance now listens (or, where it cannot listen, runs on regardless).
    // AnotherRuns: the running instance has been asked to show its window.
    Role claim();

signals:
    // A later start asked this instance to show its window.
    void showRequested();

private:
    bool askRunningToShow();
    void onConnection();

    QString name;
    QLocalServer* server = nullptr;
};
