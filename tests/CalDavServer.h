#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <csignal>
#include <sys/prctl.h>

// A real CalDAV server for the mirror's tests: Radicale on a free loopback port, with its
// storage in a temporary folder and one user (plain htpasswd). It can be stopped and started
// again on the same port and storage, as a server that goes away for a while.
class CalDavServer {
public:
    static QString user() { return QStringLiteral("alice"); }
    static QString password() { return QStringLiteral("secret"); }

    CalDavServer() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
        probe.close();
        QFile users(dir_.filePath("users"));
        users.open(QIODevice::WriteOnly);
        users.write((user() + ':' + password() + '\n').toUtf8());
        users.close();
        QFile config(dir_.filePath("config"));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n"
                                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %2\n"
                                    "htpasswd_encryption = plain\ndelay = 0\n"
                                    "[storage]\nfilesystem_folder = %3\n"
                                    "[rights]\ntype = owner_only\n"
                                    "[logging]\nlevel = warning\n")
                         .arg(port_)
                         .arg(dir_.filePath("users"), dir_.filePath("storage"))
                         .toUtf8());
        config.close();
    }
    ~CalDavServer() { stop(); }

    // False when it did not listen within a minute (a loaded machine starts Python slowly).
    bool start() {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Never outlives the test, however the test ends.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start(QStringLiteral("radicale"),
                       {QStringLiteral("--config"), dir_.filePath("config")});
        if (!process_.waitForStarted())
            return false;
        QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired()) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port_);
            if (socket.waitForConnected(200))
                return true;
            if (process_.state() != QProcess::Running)
                return false;
            QThread::msleep(50);
        }
        return false;
    }
    void stop() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    quint16 port() const { return port_; }
    // The folder of a collection in Radicale's file storage (objects are files in it).
    QString collectionFolder(const QString& name = QStringLiteral("tasks")) const {
        return dir_.filePath(QStringLiteral("storage/collection-root/%1/%2").arg(user(), name));
    }
    QUrl collection() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2/tasks/").arg(port_).arg(user()));
    }

    // Runs curl against the server as the user; returns the HTTP status (0 on failure).
    int curl(const QStringList& arguments, QByteArray* body = nullptr) const {
        QProcess curl;
        curl.start(QStringLiteral("curl"),
                   QStringList{QStringLiteral("-s"), QStringLiteral("-u"),
                               user() + ':' + password(), QStringLiteral("-w"),
                               QStringLiteral("\n%{http_code}")} +
                       arguments);
        if (!curl.waitForFinished(20000))
            return 0;
        QByteArray out = curl.readAllStandardOutput();
        const qsizetype split = out.lastIndexOf('\n');
        if (body)
            *body = out.left(split);
        return out.mid(split + 1).toInt();
    }

private:
    QTemporaryDir dir_;
    quint16 port_ = 0;
    QProcess process_;
};
