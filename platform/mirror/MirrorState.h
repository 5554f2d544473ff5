#pragma once

#include "MirrorRecord.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>

class SqliteDatabase;

// What the mirror knows of the server, in a private file of its own (never in the store):
// the sync token and, per record id, where its copy lives, that copy's ETag and content, and
// the record as it was when both sides last agreed (the base of a three-way merge).
// Whatever in the store differs from its base is a change not sent yet, so changes made while
// the server was away survive any restart.
class MirrorState {
public:
    struct Item {
        MirrorRecord base;
        QString path; // the resource on the server
        QString uid;
        QByteArray etag;
        QByteArray ics; // the server's copy as last seen, so others' properties are kept
    };

    static QString defaultPath();
    static std::unique_ptr<MirrorState> open(const QString& path, QString* error);
    ~MirrorState();

    // The collection this state belongs to; switching to another one starts over.
    QString collection() const { return meta(QStringLiteral("collection")); }
    bool reset(const QString& collection, QString* error);

    QString syncToken() const { return meta(QStringLiteral("syncToken")); }
    bool setSyncToken(const QString& token, QString* error);

    const QHash<QString, Item>& items() const { return items_; }
    const Item* find(const QString& id) const;
    QString idAtPath(const QString& path) const { return byPath_.value(path); }
    bool put(const Item& item, QString* error);
    bool remove(const QString& id, QString* error);

    // Many puts and removes as one write to the file.
    bool begin(QString* error);
    bool commit(QString* error);

private:
    explicit MirrorState(std::unique_ptr<SqliteDatabase> db);
    bool load(QString* error);
    QString meta(const QString& key) const { return meta_.value(key); }
    bool setMeta(const QString& key, const QString& value, QString* error);

    std::unique_ptr<SqliteDatabase> db_;
    QHash<QString, QString> meta_;
    QHash<QString, Item> items_;
    QHash<QString, QString> byPath_;
};
