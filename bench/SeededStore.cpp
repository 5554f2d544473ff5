#include "SeededStore.h"

#include "AppGroup.h"
#include "NudgeboxStore.h"
#include "sqlite/SqliteDatabase.h"
#include "sqlite/SqliteStatement.h"
#include "sqlite/SqliteTransaction.h"
#include "store/StoreSchema.h"
#include "store/StoredRow.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QUuid>

#include <cstdio>

SeededStore::SeededStore(int size)
    : size_(size) {
    if (!home_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    QDir().mkpath(QFileInfo(storePath()).absolutePath());
    const QString key = schemaKey();
    if (key.isEmpty())
        return;
    const QString cached =
        QStringLiteral("%1/%2-%3.store").arg(cacheFolder(), key).arg(size_, 7, 10, QChar(u'0'));
    if (!QFile::exists(cached)) {
        QDir().mkpath(cacheFolder());
        // Seeded under a name of this process's own: runs in parallel may seed the same size.
        const QString partial =
            cached + QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
        QFile::remove(partial);
        QElapsedTimer clock;
        clock.start();
        const bool seeded = seedInto(partial);
        if (!seeded || (!QFile::rename(partial, cached) && !QFile::exists(cached))) {
            QFile::remove(partial);
            if (error_.isEmpty())
                error_ = QStringLiteral("cannot keep the seeded store in ") + cacheFolder();
            return;
        }
        QFile::remove(partial); // another run kept the same store first
        std::fprintf(stderr, "nudgebox-bench: seeded %d reminders in %.1f s\n", size_,
                     double(clock.elapsed()) / 1000);
    }
    valid_ = QFile::copy(cached, storePath());
    if (!valid_)
        error_ = QStringLiteral("cannot copy ") + cached;
    QFile(storePath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString SeededStore::cacheFolder() {
    return QDir::tempPath() + QStringLiteral("/nudgebox-bench-stores");
}

QString SeededStore::storePath() const {
    return home_.filePath(
        QStringLiteral("data/%1/%2")
            .arg(AppGroup::identifier(), ModelConfiguration::defaultStoreFileName()));
}

QProcessEnvironment SeededStore::environment(const QString& platform) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    return env;
}

QString SeededStore::copyStore(const QString& name) const {
    const QString path = home_.filePath(name);
    QFile::remove(path);
    QFile::copy(storePath(), path);
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return path;
}

QString SeededStore::schemaKey() {
    // The store code lays out an empty file; its statements name the layout.
    const QString probe = home_.filePath(QStringLiteral("schema-probe.store"));
    {
        ModelConfiguration configuration;
        configuration.url = probe;
        configuration.autosaveEnabled = false;
        if (!NudgeboxStore::open(configuration, &error_))
            return {};
    }
    auto db = SqliteDatabase::open(probe, SqliteDatabase::Mode::ReadOnly, &error_);
    if (!db)
        return {};
    // The seeding below is part of the key too: bump it when the rows seeded change.
    QByteArray layout = "seeding 2;" + QByteArray::number(StoreSchema::currentVersion());
    SqliteStatement tables(*db,
                           "SELECT sql FROM sqlite_master WHERE sql IS NOT NULL ORDER BY name");
    while (tables.next())
        layout += tables.columnText(0).toUtf8();
    db.reset();
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(probe + suffix);
    return QStringLiteral("v%1-%2")
        .arg(StoreSchema::currentVersion())
        .arg(QString::fromLatin1(
            QCryptographicHash::hash(layout, QCryptographicHash::Sha1).toHex().left(12)));
}

bool SeededStore::seedInto(const QString& path) {
    // The store's own code lays out the schema; the rows go in raw, in one transaction.
    {
        ModelConfiguration configuration;
        configuration.url = path;
        configuration.autosaveEnabled = false;
        if (!NudgeboxStore::open(configuration, &error_))
            return false;
    }
    auto db = SqliteDatabase::open(path, SqliteDatabase::Mode::ReadWrite, &error_);
    if (!db)
        return false;
    {
        SqliteTransaction transaction(*db);
        SqliteStatement insert(*db, "INSERT INTO \"Reminder\" "
                                    "(category, completed, id, orderIndex, text) "
                                    "VALUES (?, ?, ?, ?, ?)");
        const auto& categories = ReminderCategory::allCases();
        const int count = int(categories.size());
        for (int i = 0; i < size_; ++i) {
            insert.bind(0, categories[i % count].rawValue());
            // Every third of each category's rows completed.
            insert.bind(1, (i / count) % 3 == 0);
            insert.bind(2, RowWriter::uuidText(QUuid::createUuid()));
            // Each category's rows numbered from 0, as the list keeps them.
            insert.bind(3, qint64(i / count));
            insert.bind(4, QStringLiteral("Reminder %1: call the garage about the tyres").arg(i));
            if (!insert.run()) {
                error_ = insert.error();
                return false;
            }
        }
        if (!transaction.commit()) {
            error_ = transaction.error();
            return false;
        }
    }
    return db->exec("PRAGMA wal_checkpoint(TRUNCATE)", &error_);
}
