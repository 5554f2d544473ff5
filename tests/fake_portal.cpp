// A stand-in for the desktop portal's appearance setting, for trying the colour schemes by
// hand and for screenshots: fake_portal VALUE owns org.freedesktop.portal.Desktop on the
// session bus and answers "color-scheme" with VALUE (1 dark, 2 light); each number read from
// standard input becomes the new value and is announced with SettingChanged.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

class Portal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint value = 0;
    void change(uint v) {
        value = v;
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("SettingChanged"));
        signal << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme")
               << QVariant::fromValue(QDBusVariant(QVariant(v)));
        QDBusConnection::sessionBus().send(signal);
    }
public slots:
    QDBusVariant ReadOne(const QString& group, const QString& key) {
        if (group != QLatin1String("org.freedesktop.appearance") ||
            key != QLatin1String("color-scheme")) {
            sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"), key);
            return {};
        }
        return QDBusVariant(QVariant(value));
    }
    QDBusVariant Read(const QString& group, const QString& key) {
        return QDBusVariant(QVariant::fromValue(ReadOne(group, key)));
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    Portal portal;
    portal.value = argc > 1 ? QByteArray(argv[1]).toUInt() : 0;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "fake_portal: cannot own the portal's name\n");
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QTextStream in(stdin);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        const QString line = in.readLine();
        if (line.isNull()) {
            input.setEnabled(false);
            return;
        }
        bool ok = false;
        const uint v = line.trimmed().toUInt(&ok);
        if (ok)
            portal.change(v);
    });
    return QCoreApplication::exec();
}

#include "fake_portal.moc"
