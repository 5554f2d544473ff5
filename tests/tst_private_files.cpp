// Where reminders are kept: the store, both settings suites and the notification service's
// database refuse a path someone else prepared (a link, another user's file, a file others may
// write) without touching it, tighten loose files of our own, and leave the folders above
// their own as they are.
#include "AppGroup.h"
#include "NudgeboxStore.h"
#include "TestEnvironment.h"
#include "notifications/NotificationStore.h"
#include "settings/UserDefaults.h"
#include "sqlite/SqliteDatabase.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
enum class Opener { store, standardSettings, sharedSettings, notifications };

QString pathOf(Opener opener) {
    switch (opener) {
    case Opener::store:
        return AppGroup::containerPath() + u'/' + ModelConfiguration::defaultStoreFileName();
    case Opener::standardSettings:
        return UserDefaults::standardSuitePath();
    case Opener::sharedSettings:
        return UserDefaults::suitePath(AppGroup::identifier());
    case Opener::notifications:
        break;
    }
    return NotificationStore::defaultPath();
}

QStringList* warnings = nullptr;
void collectWarning(QtMsgType, const QMessageLogContext&, const QString& message) {
    warnings->append(message);
}

// Opens what the opener opens: empty when it opened, otherwise what it said.
QString openWith(Opener opener) {
    QString error;
    switch (opener) {
    case Opener::store: {
        ModelConfiguration configuration;
        configuration.autosaveEnabled = false;
        return NudgeboxStore::open(configuration, &error) ? QString() : error;
    }
    case Opener::notifications:
        return NotificationStore::open(pathOf(opener), &error) ? QString() : error;
    case Opener::standardSettings:
    case Opener::sharedSettings:
        break;
    }
    // A suite that cannot be opened says why on the warning channel and reads as defaults.
    QStringList said;
    warnings = &said;
    const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
    const bool available =
        UserDefaults::forSuite(opener == Opener::sharedSettings ? SettingsSuite::shared
                                                                : SettingsSuite::standard)
            ->isAvailable();
    qInstallMessageHandler(previous);
    warnings = nullptr;
    return available ? QString() : said.join(u'\n');
}

struct stat statOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        info.st_mode = 0;
    return info;
}

int modeOf(const QString& path) {
    return int(statOf(path).st_mode & 07777);
}

// Kind, mode, owner and contents of what is at path, folders with everything in them.
QString snapshot(const QString& path) {
    const struct stat info = statOf(path);
    QString result = QStringLiteral("%1 %2:%3 %4")
                         .arg(QFileInfo(path).fileName())
                         .arg(info.st_mode, 0, 8)
                         .arg(info.st_uid)
                         .arg(info.st_gid);
    if (S_ISREG(info.st_mode)) {
        QFile file(path);
        result += file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().toHex())
                                                 : QStringLiteral("unreadable");
    } else if (S_ISDIR(info.st_mode)) {
        for (const QString& name : QDir(path).entryList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
            result += u'\n' + snapshot(path + u'/' + name);
    }
    return result;
}

void setMode(const QString& path, int mode) {
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
}

// Another user's: nobody's uid on Debian.
constexpr uid_t otherUser = 65534;
} // namespace

class PrivateFilesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env_;

    // A file with something in it and a loose mode, outside every folder of ours.
    QString victimFile() {
        const QString path = env_->path("victim.db");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("someone else's data\n");
        file.close();
        setMode(path, 0644);
        return path;
    }

private slots:
    void init() { env_ = std::make_unique<TestEnvironment>(); }

    void somethingPreparedBySomeoneElseIsRefusedUntouched_data() {
        QTest::addColumn<Opener>("opener");
        QTest::addColumn<QString>("at");  // the file, a companion ("-wal") or the folder
        QTest::addColumn<QString>("how"); // symlink, writable or foreign
        QTest::addColumn<QString>("reason");
        const QString link = QStringLiteral("symbolic link");
        const QString writable = QStringLiteral("writable by other users");
        const QString foreign = QStringLiteral("owned by another user");
        QTest::newRow("store is a link") << Opener::store << "file"
                                         << "symlink" << link;
        QTest::newRow("store's -wal is a link") << Opener::store << "-wal"
                                                << "symlink" << link;
        QTest::newRow("container is a link") << Opener::store << "folder"
                                             << "symlink" << link;
        QTest::newRow("standard settings is a link") << Opener::standardSettings << "file"
                                                     << "symlink" << link;
        QTest::newRow("shared settings is a link") << Opener::sharedSettings << "file"
                                                   << "symlink" << link;
        QTest::newRow("shared settings' container is a link") << Opener::sharedSettings << "folder"
                                                              << "symlink" << link;
        QTest::newRow("notification database is a link") << Opener::notifications << "file"
                                                         << "symlink" << link;
        QTest::newRow("notification folder is a link") << Opener::notifications << "folder"
                                                       << "symlink" << link;
        QTest::newRow("store writable by others") << Opener::store << "file"
                                                  << "writable" << writable;
        QTest::newRow("container writable by others") << Opener::store << "folder"
                                                      << "writable" << writable;
        QTest::newRow("settings writable by group") << Opener::standardSettings << "file"
                                                    << "writable" << writable;
        QTest::newRow("store of another user") << Opener::store << "file"
                                               << "foreign" << foreign;
        QTest::newRow("container of another user") << Opener::store << "folder"
                                                   << "foreign" << foreign;
        QTest::newRow("shared settings of another user") << Opener::sharedSettings << "file"
                                                         << "foreign" << foreign;
        QTest::newRow("notification database of another user") << Opener::notifications << "file"
                                                               << "foreign" << foreign;
    }

    void somethingPreparedBySomeoneElseIsRefusedUntouched() {
        QFETCH(Opener, opener);
        QFETCH(QString, at);
        QFETCH(QString, how);
        QFETCH(QString, reason);
        if (how == "foreign" && ::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        const QString file = pathOf(opener);
        const QString folder = QFileInfo(file).path();
        // Everything else is as it should be: made by the opener itself.
        QVERIFY2(openWith(opener).isEmpty(), qPrintable(openWith(opener)));

        QString bad = at == "folder" ? folder : at == "file" ? file : file + at;
        QString target = bad; // what must stay as it is
        if (how == "symlink") {
            if (at == "folder") {
                // A shared folder, as an attacker would point to.
                target = env_->path("victim");
                QVERIFY(QDir().mkpath(target));
                QVERIFY(QFile::copy(file, target + u'/' + QFileInfo(file).fileName()));
                setMode(target, 01777);
                QVERIFY(QDir(folder).removeRecursively());
            } else {
                target = victimFile();
                QFile::remove(bad);
            }
            QVERIFY(QFile::link(target, bad));
        } else if (how == "writable") {
            setMode(bad, at == "folder" ? 01777 : opener == Opener::store ? 0666 : 0620);
        } else {
            setMode(bad, at == "folder" ? 0700 : 0666);
            QCOMPARE(::chown(QFile::encodeName(bad).constData(), otherUser, otherUser), 0);
        }
        const QString before = snapshot(target);

        const QString said = openWith(opener);
        QVERIFY2(said.contains(bad) && said.contains(reason), qPrintable(said));
        QVERIFY2(!said.contains(u'\n'), qPrintable(said));
        QCOMPARE(snapshot(target), before);
        if (how == "symlink")
            QVERIFY(QFileInfo(bad).isSymLink());
    }

    void looseFilesOfOursAreTightened_data() {
        QTest::addColumn<Opener>("opener");
        QTest::newRow("store") << Opener::store;
        QTest::newRow("standard settings") << Opener::standardSettings;
        QTest::newRow("shared settings") << Opener::sharedSettings;
        QTest::newRow("notification database") << Opener::notifications;
    }

    void looseFilesOfOursAreTightened() {
        QFETCH(Opener, opener);
        const QString file = pathOf(opener);
        const QString folder = QFileInfo(file).path();
        QVERIFY2(openWith(opener).isEmpty(), qPrintable(openWith(opener)));
        // Another connection keeps the -wal and -shm files there.
        QString error;
        auto other = SqliteDatabase::open(file, SqliteDatabase::Mode::ReadWrite, &error);
        QVERIFY2(other && other->exec("SELECT count(*) FROM sqlite_master", &error),
                 qPrintable(error));
        const QStringList files{file, file + "-wal", file + "-shm"};
        for (const QString& path : files) {
            QVERIFY2(QFile::exists(path), qPrintable(path));
            setMode(path, 0644);
        }
        setMode(folder, 0750);

        QVERIFY2(openWith(opener).isEmpty(), qPrintable(openWith(opener)));
        for (const QString& path : files)
            QCOMPARE(modeOf(path), 0600);
        QCOMPARE(modeOf(folder), 0700);
    }

    void foldersAboveOursAreLeftAsTheyAre() {
        // A shared sticky folder and a linked one, as homes on other disks are.
        const QString sticky = env_->path("sticky");
        const QString realConfig = env_->path("elsewhere/config");
        QVERIFY(QDir().mkpath(sticky) && QDir().mkpath(realConfig));
        setMode(sticky, 01777);
        setMode(realConfig, 0755);
        const QString linkedConfig = env_->path("config-link");
        QVERIFY(QFile::link(realConfig, linkedConfig));
        qputenv("XDG_DATA_HOME", QFile::encodeName(sticky));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(linkedConfig));

        for (Opener opener : {Opener::store, Opener::standardSettings, Opener::sharedSettings,
                              Opener::notifications}) {
            QVERIFY2(openWith(opener).isEmpty(), qPrintable(openWith(opener)));
            QCOMPARE(modeOf(QFileInfo(pathOf(opener)).path()), 0700);
            QCOMPARE(modeOf(pathOf(opener)), 0600);
        }
        QVERIFY(pathOf(Opener::standardSettings).startsWith(linkedConfig));
        QCOMPARE(modeOf(sticky), 01777);
        QCOMPARE(modeOf(realConfig), 0755);
        QVERIFY(QFileInfo(linkedConfig).isSymLink());
    }
};

QTEST_GUILESS_MAIN(PrivateFilesTest)
#include "tst_private_files.moc"
