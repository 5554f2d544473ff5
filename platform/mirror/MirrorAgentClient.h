#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

// The store mirror's status as the agent publishes it on the session bus, followed live. Only
// asynchronous calls: the window never waits on the agent, and works when there is none.
class MirrorAgentClient : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY statusChanged)
    Q_PROPERTY(bool hasMirror READ hasMirror NOTIFY statusChanged)
    Q_PROPERTY(bool enabled READ enabled NOTIFY statusChanged)
    Q_PROPERTY(QString state READ state NOTIFY statusChanged)
    Q_PROPERTY(QString lastSync READ lastSync NOTIFY statusChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY statusChanged)

public:
    explicit MirrorAgentClient(QObject* parent = nullptr);

    bool running() const { return running_; }
    // False when the agent that runs has no store mirror (an older agent).
    bool hasMirror() const { return hasMirror_; }
    bool enabled() const { return enabled_; }
    QString state() const { return state_; }
    QString lastSync() const { return lastSync_; }
    QString lastError() const { return lastError_; }

    // Asks the agent to read the configuration again; the bus starts it if it can.
    void reconfigure();
    void syncNow();

signals:
    void statusChanged();
    // A call the agent did not answer; message is one line.
    void callFailed(const QString& message);

private slots:
    void refresh();

private:
    void call(const QString& method);
    void setRunning(bool running);

    QDBusServiceWatcher watcher_;
    bool running_ = false;
    bool hasMirror_ = false;
    bool enabled_ = false;
    QString state_;
    QString lastSync_;
    QString lastError_;
    quint64 generation_ = 0;
};
