#pragma once

#include "ReminderCategory.h"

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class SqliteDatabase;

// A private XDG home holding a store of a given number of reminders, spread evenly over the
// thirty categories, every third one completed. Child processes started with environment()
// open it as their default store.
class SeededStore {
public:
    explicit SeededStore(int size);

    int size() const { return size_; }
    bool isValid() const { return valid_; }
    const QString& error() const { return error_; }
    // The default store path under this home.
    QString storePath() const;
    QProcessEnvironment environment() const;
    // A copy of the store as seeded, for the raw SQLite figures.
    QString copyStore(const QString& name) const;

    // The category the actions work in.
    static ReminderCategory category() { return ReminderCategory::work; }

private:
    bool seed();

    int size_;
    QTemporaryDir home_;
    bool valid_ = false;
    QString error_;
};
