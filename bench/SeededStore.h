#pragma once

#include "ReminderCategory.h"

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A private XDG home holding a store of a given number of reminders, spread evenly over the
// thirty categories, every third one completed. Child processes started with environment()
// open it as their default store. Seeded stores are kept in a cache folder keyed by size and
// by the schema the store code lays out, so later runs only copy them.
class SeededStore {
public:
    explicit SeededStore(int size);

    int size() const { return size_; }
    bool isValid() const { return valid_; }
    const QString& error() const { return error_; }
    // The default store path under this home.
    QString storePath() const;
    QString homePath() const { return home_.path(); }
    // The home's environment for a child on that Qt platform (display taken from this process).
    QProcessEnvironment environment(const QString& platform) const;
    // A copy of the store as seeded, for the raw SQLite figures.
    QString copyStore(const QString& name) const;

    // The category the actions work in.
    static ReminderCategory category() { return ReminderCategory::work; }
    // Where seeded stores are kept between runs.
    static QString cacheFolder();

private:
    bool seedInto(const QString& path);
    // Text identifying the tables the store code lays out today.
    QString schemaKey();

    int size_;
    QTemporaryDir home_;
    bool valid_ = false;
    QString error_;
};
