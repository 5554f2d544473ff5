// Child process for the cross-process tests: plays the other side of a shared store or
// shared settings suite. Exit code 0 means every write succeeded.
#include "AppGroup.h"
#include "CompletedReminders.h"
#include "Favorite.h"
#include "Reminder.h"
#include "StoreAt.h"
#include "notifications/UNUserNotificationCenter.h"
#include "settings/UserDefaults.h"
#include "sqlite/DatabaseWatcher.h"
#include "store/ModelContext.h"
#include "store/StoredRow.h"
#include "widgets/WidgetCenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {
int fail(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

// insert PATH COUNT TAG: one save per reminder, to contend with the other writer.
int insert(const QString& path, int count, const QString& tag) {
    auto container = openStoreAt(path);
    if (!container)
        return 1;
    ModelContext* context = container->mainContext();
    for (int i = 0; i < count; ++i) {
        context->insert(std::make_shared<Reminder>(
            QStringLiteral("Work"), false, QUuid::createUuid(), i, tag + QString::number(i)));
        QString error;
        if (!context->save(&error))
            return fail(QStringLiteral("save %1 failed: %2").arg(i).arg(error));
    }
    return 0;
}

// append PATH [FROM COUNT]: appends the id of every reminder of the store (or of that slice,
// in store order) to the hand-over list.
int append(const QString& path, qsizetype from = 0, qsizetype count = -1) {
    QStringList ids;
    {
        auto container = openStoreAt(path);
        if (!container)
            return 1;
        for (const auto& reminder : container->mainContext()->fetch<Reminder>().mid(from, count))
            ids << reminder->idText();
    }
    UserDefaults shared(AppGroup::identifier());
    for (const QString& id : ids)
        if (!CompletedReminders::append(shared, id))
            return fail(QStringLiteral("append of %1 failed").arg(id));
    return 0;
}

// apply PATH STOPFILE: the application's hand-over pass, repeated until told to stop and the
// list is empty. Marks listed reminders completed, saves, then removes what it read.
int apply(const QString& path, const QString& stopFile) {
    auto container = openStoreAt(path);
    if (!container)
        return 1;
    ModelContext* context = container->mainContext();
    UserDefaults shared(AppGroup::identifier());
    int passes = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 120000) {
        const bool stopping = QFile::exists(stopFile);
        const QStringList handled = CompletedReminders::read(shared);
        if (handled.isEmpty() && stopping) {
            std::printf("passes %d\n", passes);
            return 0;
        }
        const QSet<QString> wanted(handled.begin(), handled.end());
        for (const auto& reminder : context->fetch<Reminder>())
            if (wanted.contains(reminder->idText()))
                reminder->setCompleted(true);
        QString error;
        if (!context->save(&error))
            return fail(QStringLiteral("save failed: %1").arg(error));
        if (!CompletedReminders::removeHandled(shared, handled))
            return fail(QStringLiteral("removing the handled ids failed"));
        ++passes;
    }
    return fail(QStringLiteral("gave up waiting for the stop file"));
}

// churn PATH: saves forever until killed: mostly one new reminder per save, and every tenth
// save flips every "bulk" reminder in one transaction. Prints "ready", then "saved ID" after
// each committed insert. New bulk reminders take the current flag, so in any committed state
// all bulk reminders agree.
int churn(const QString& path) {
    auto container = openStoreAt(path);
    if (!container)
        return 1;
    ModelContext* context = container->mainContext();
    bool flag = false;
    for (const auto& r : context->fetch<Reminder>())
        if (r->text().startsWith(u"bulk")) {
            flag = r->completed();
            break;
        }
    std::printf("ready\n");
    std::fflush(stdout);
    for (qint64 i = 0;; ++i) {
        QString id;
        if (i % 10 == 9) {
            flag = !flag;
            for (const auto& r : context->fetch<Reminder>())
                if (r->text().startsWith(u"bulk"))
                    r->setCompleted(flag);
        } else {
            const bool bulk = i % 3 == 0;
            auto reminder = std::make_shared<Reminder>(
                QStringLiteral("Work"), bulk && flag, QUuid::createUuid(), i,
                (bulk ? QStringLiteral("bulk ") : QStringLiteral("one ")) + QString::number(i));
            context->insert(reminder);
            id = reminder->idText();
        }
        QString error;
        if (!context->save(&error))
            return fail(QStringLiteral("save failed: %1").arg(error));
        if (!id.isEmpty()) {
            std::printf("saved %s\n", qPrintable(id));
            std::fflush(stdout);
        }
    }
}

// fill PATH: saves large reminders with the file size limit just above the store's size, so
// a save fails as on a full disk; then lifts the limit and saves again. Prints "saved ID" for
// each commit, "failed ERROR" once, and "retried" when the kept change was written.
int fill(const QString& path) {
    auto container = openStoreAt(path);
    if (!container)
        return 1;
    ModelContext* context = container->mainContext();
    std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of killing us
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit original = limit;
    limit.rlim_cur = rlim_t(QFileInfo(path).size() + 256 * 1024);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return fail(QStringLiteral("cannot limit the file size"));
    const QString big(8000, u'x');
    for (int i = 0; i < 1000; ++i) {
        auto reminder =
            std::make_shared<Reminder>(QStringLiteral("Work"), false, QUuid::createUuid(), i, big);
        context->insert(reminder);
        QString error;
        if (context->save(&error)) {
            std::printf("saved %s\n", qPrintable(reminder->idText()));
            continue;
        }
        std::printf("failed %s\n", qPrintable(error));
        if (!context->hasChanges() || reminder->isDeleted())
            return fail(QStringLiteral("the failed change was not kept"));
        if (setrlimit(RLIMIT_FSIZE, &original) != 0)
            return fail(QStringLiteral("cannot lift the limit"));
        if (!context->save(&error))
            return fail(QStringLiteral("the retry failed: %1").arg(error));
        std::printf("retried\nsaved %s\n", qPrintable(reminder->idText()));
        return 0;
    }
    return fail(QStringLiteral("no save ever failed"));
}

// replace-newest PATH TEXT: deletes the newest reminder and saves, then adds one with that
// text and saves; prints the new reminder's id.
int replaceNewest(const QString& path, const QString& text) {
    auto container = openStoreAt(path);
    if (!container)
        return 1;
    ModelContext* context = container->mainContext();
    const auto all = context->fetch<Reminder>();
    if (all.isEmpty())
        return fail(QStringLiteral("no reminder to delete"));
    context->remove(all.last());
    QString error;
    if (!context->save(&error))
        return fail(QStringLiteral("delete failed: %1").arg(error));
    auto reminder =
        std::make_shared<Reminder>(QStringLiteral("Work"), false, QUuid::createUuid(), 0, text);
    context->insert(reminder);
    if (!context->save(&error))
        return fail(QStringLiteral("insert failed: %1").arg(error));
    std::printf("%s\n", qPrintable(reminder->idText()));
    return 0;
}

// ids PATH: prints "TYPE ROW ID" for every record of the store, in store order.
int ids(const QString& path) {
    auto container = openStoreAt(path);
    if (!container)
        return 1;
    ModelContext* context = container->mainContext();
    for (const auto& favorite : context->fetch<Favorite>())
        std::printf("Favorite %lld %s\n", favorite->persistentModelID().rowId,
                    qPrintable(RowWriter::uuidText(favorite->id())));
    for (const auto& reminder : context->fetch<Reminder>())
        std::printf("Reminder %lld %s\n", reminder->persistentModelID().rowId,
                    qPrintable(reminder->idText()));
    return 0;
}

// open-file PATH: prints "opening", opens the store file at PATH (which may upgrade it), then
// prints "opened".
int openFile(const QString& path) {
    std::printf("opening\n");
    std::fflush(stdout);
    if (!openStoreAt(path))
        return 1;
    std::printf("opened\n");
    std::fflush(stdout);
    return 0;
}

// open [nobody]: opens the default store, optionally after dropping to the nobody user.
int open(bool asNobody) {
    if (asNobody) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
            return fail(QStringLiteral("cannot drop privileges"));
    }
    QString error;
    auto container = NudgeboxStore::open(ModelConfiguration{}, &error);
    if (container)
        return 0;
    std::printf("%s\n", qPrintable(error));
    return 2;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == "insert" && args.size() == 4)
        return insert(args[1], args[2].toInt(), args[3]);
    if (command == "append" && args.size() == 2)
        return append(args[1]);
    if (command == "append" && args.size() == 4)
        return append(args[1], args[2].toInt(), args[3].toInt());
    if (command == "apply" && args.size() == 3)
        return apply(args[1], args[2]);
    if (command == "reload") {
        WidgetCenter::shared().reloadAllTimelines();
        return 0;
    }
    if (command == "notify" && args.size() == 2) {
        // Schedules an hour-long request and exits at once.
        UNMutableNotificationContent content;
        content.title = QStringLiteral("Worker");
        content.body = args[1];
        UNUserNotificationCenter::current().add(UNNotificationRequest::requestWithIdentifier(
            args[1], content,
            UNTimeIntervalNotificationTrigger::triggerWithTimeInterval(3600, false)));
        return 0;
    }
    if (command == "announce" && args.size() == 2) {
        // Says a file was committed to without touching it.
        DatabaseWatcher::announce(args[1]);
        return 0;
    }
    if (command == "churn" && args.size() == 2)
        return churn(args[1]);
    if (command == "fill" && args.size() == 2)
        return fill(args[1]);
    if (command == "open")
        return open(args.value(1) == "nobody");
    if (command == "replace-newest" && args.size() == 3)
        return replaceNewest(args[1], args[2]);
    if (command == "ids" && args.size() == 2)
        return ids(args[1]);
    if (command == "open-file" && args.size() == 2)
        return openFile(args[1]);
    return fail(
        QStringLiteral("usage: store_worker insert|append|apply|reload|notify|announce|churn|"
                       "fill|"
                       "open|replace-newest|ids|open-file ..."));
}
