#include "SeededStore.h"

#include "AppGroup.h"
#include "NudgeboxStore.h"
#include "sqlite/SqliteDatabase.h"
#include "sqlite/SqliteStatement.h"
#include "sqlite/SqliteTransaction.h"
#include "store/StoredRow.h"

#include <QDir>
#include <QFile>
#include <QUuid>

SeededStore::SeededStore(int size)
    : size_(size) {
    valid_ = home_.isValid() && seed();
}

QString SeededStore::storePath() const {
    return home_.filePath(
        QStringLiteral("data/%1/%2")
            .arg(AppGroup::identifier(), ModelConfiguration::defaultStoreFileName()));
}

QProcessEnvironment SeededStore::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

QString SeededStore::copyStore(const QString& name) const {
    const QString path = home_.filePath(name);
    QFile::remove(path);
    QFile::copy(storePath(), path);
    return path;
}

bool SeededStore::seed() {
    // The store's own code lays out the schema; the rows go in raw, in one transaction.
    {
        ModelConfiguration configuration;
        configuration.url = storePath();
        configuration.autosaveEnabled = false;
        if (!NudgeboxStore::open(configuration, &error_))
            return false;
    }
    auto db = SqliteDatabase::open(storePath(), SqliteDatabase::Mode::ReadWrite, &error_);
    if (!db)
        return false;
    {
        SqliteTransaction transaction(*db);
        SqliteStatement insert(*db, "INSERT INTO \"Reminder\" "
                                    "(category, completed, id, orderIndex, text) "
                                    "VALUES (?, ?, ?, ?, ?)");
        const auto& categories = ReminderCategory::allCases();
        for (int i = 0; i < size_; ++i) {
            insert.bind(0, categories[i % int(categories.size())].rawValue());
            insert.bind(1, i % 3 == 0);
            insert.bind(2, RowWriter::uuidText(QUuid::createUuid()));
            insert.bind(3, qint64(i));
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
