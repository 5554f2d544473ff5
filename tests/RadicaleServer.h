#pragma once

// A real CalDAV server for the tests: Radicale on a loopback port, its collections in a
// temporary folder, users from a plain htpasswd file, optionally over TLS with a self-signed
// certificate made by openssl.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class RadicaleServer {
public:
    explicit RadicaleServer(bool tls = false)
        : tls_(tls) {}
    ~RadicaleServer() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000))
                process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Starts the server with users "name:password"; false (and why, in error) when it did not
    // come up.
    bool start(const QStringList& users, QString* error) {
        const QString radicale = QStandardPaths::findExecutable(QStringLiteral("radicale"));
        if (radicale.isEmpty())
            return fail(error, "radicale is not installed");
        QFile htpasswd(dir_.filePath("users"));
        if (!htpasswd.open(QIODevice::WriteOnly))
            return fail(error, "cannot write the users file");
        for (const QString& user : users)
            htpasswd.write(user.toUtf8() + '\n');
        htpasswd.close();
        QString tlsSection = QStringLiteral("ssl = False\n");
        if (tls_) {
            QProcess openssl;
            openssl.start(QStringLiteral("openssl"),
                          {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                           "/CN=127.0.0.1", "-keyout", dir_.filePath("key.pem"), "-out",
                           dir_.filePath("cert.pem")});
            if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
                return fail(error, "openssl could not make a certificate");
            tlsSection = QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n")
                             .arg(dir_.filePath("cert.pem"), dir_.filePath("key.pem"));
        }
        // A free port: the kernel's choice, handed over at once.
        {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost))
                return fail(error, "no free loopback port");
            port_ = probe.serverPort();
        }
        QFile config(dir_.filePath("config"));
        if (!config.open(QIODevice::WriteOnly))
            return fail(error, "cannot write the configuration");
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%2"
                                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %3\n"
                                    "htpasswd_encryption = plain\ndelay = 0\n"
                                    "[storage]\nfilesystem_folder = %4\n"
                                    "[rights]\ntype = owner_only\n"
                                    "[logging]\nlevel = warning\n")
                         .arg(port_)
                         .arg(tlsSection, htpasswd.fileName(), dir_.filePath("collections"))
                         .toUtf8());
        config.close();
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(radicale, {QStringLiteral("--config"), config.fileName()});
        if (!process_.waitForStarted(10000))
            return fail(error, "radicale did not start");
        // Up once it accepts a connection.
        for (int attempt = 0; attempt < 300; ++attempt) {
            if (process_.state() == QProcess::NotRunning)
                return fail(error, "radicale exited");
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port_);
            if (socket.waitForConnected(200))
                return true;
            QTest::qWait(50);
        }
        return fail(error, "radicale never listened");
    }

    QUrl url(const QString& path = QStringLiteral("/")) const {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2%3")
                        .arg(tls_ ? QStringLiteral("https") : QStringLiteral("http"))
                        .arg(port_)
                        .arg(path));
    }

private:
    static bool fail(QString* error, const char* message) {
        *error = QString::fromUtf8(message);
        return false;
    }

    bool tls_;
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};
