#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class DatabaseWatcher;
class SqliteDatabase;
class SqliteStatement;

// The storage behind one settings suite: a small SQLite key-value file, so two processes can
// share it and change a value atomically. One instance per file per process; every handle
// of the suite in this process shares it and so sees each write at once.
class SettingsStore : public QObject {
    Q_OBJECT
public:
    static std::shared_ptr<SettingsStore> forPath(const QString& path);
    ~SettingsStore() override;

    const QString& path() const { return path_; }
    bool isAvailable() const { return db_ != nullptr; }

    // The stored value (qint64, double, QString or QByteArray); invalid when missing.
    QVariant value(const QString& key);
    // An invalid value removes the key.
    bool setValue(const QString& key, const QVariant& value);
    // Reads and writes the key inside one write transaction, so no other process's write
    // lands in between. change returns the new value (invalid removes the key).
    bool update(const QString& key, const std::function<QVariant(const QVariant&)>& change);

    // Picks up writes of other processes; also runs whenever the file shows a sign of one.
    void refresh();

signals:
    void valueChanged(const QString& key);

private:
    explicit SettingsStore(QString path);
    bool open(QString* error);
    bool write(const QString& key, const QVariant& value);
    QVariant readStored(const QString& key);
    void reloadAll();
    qint64 dataVersion();
    void reportFailure(const QString& what);

    QString path_;
    std::unique_ptr<SqliteDatabase> db_;
    std::unique_ptr<SqliteStatement> select_, selectAll_, upsert_, remove_, version_;
    QHash<QString, QVariant> cache_;
    qint64 lastVersion_ = -1;
    std::unique_ptr<DatabaseWatcher> watcher_;
};
