#include "WindowBench.h"

#include "AppView.h"
#include "MainView.h"
#include "NudgeboxStore.h"
#include "RawSqlite.h"
#include "Reminder.h"
#include "ReminderView.h"
#include "SeededStore.h"
#include "SystemServices.h"
#include "store/ModelContainer.h"
#include "store/ModelContext.h"
#include "ui/ScenePhase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <functional>

namespace {
// Stamps the first frame swapped whose scene was synchronised after arm(): the first frame
// that can show a change made before it. Frames may be swapped on the render thread.
class FrameProbe {
public:
    explicit FrameProbe(QQuickWindow* window)
        : window_(window) {
        clock_.start();
        QObject::connect(
            window, &QQuickWindow::beforeSynchronizing, window,
            [this] {
                if (armed_.load())
                    synced_ = true;
            },
            Qt::DirectConnection);
        QObject::connect(
            window, &QQuickWindow::frameSwapped, window,
            [this] {
                if (!synced_.exchange(false))
                    return;
                armed_ = false;
                swappedNs_ = clock_.nsecsElapsed();
                QMetaObject::invokeMethod(&loop_, &QEventLoop::quit, Qt::QueuedConnection);
            },
            Qt::DirectConnection);
    }
    qint64 now() const { return clock_.nsecsElapsed(); }
    void reset() {
        armed_ = false;
        synced_ = false;
        swappedNs_ = -1;
    }
    void arm() { armed_ = true; }
    bool isArmed() const { return armed_.load(); }
    // Waits for the armed frame; milliseconds from startNs to its swap, or -1 on timeout.
    double wait(qint64 startNs, int timeoutMs = 60000) {
        QElapsedTimer waited;
        waited.start();
        // A quit left over from an earlier frame only costs one more turn here.
        while (swappedNs_.load() < 0 && waited.elapsed() < timeoutMs) {
            QTimer deadline;
            deadline.setSingleShot(true);
            QObject::connect(&deadline, &QTimer::timeout, &loop_, &QEventLoop::quit);
            deadline.start(int(timeoutMs - waited.elapsed()));
            loop_.exec();
        }
        const qint64 swapped = swappedNs_.load();
        return swapped < 0 ? -1 : double(swapped - startNs) / 1e6;
    }
    // Two frames drawn with whatever is pending, so the next measure starts from rest. A
    // frame asked for may be dropped (a window being exposed again): asked again, a few times.
    bool settle() {
        QCoreApplication::sendPostedEvents();
        // Items the preparation let go of are deleted now, not inside the next measure.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int drawn = 0;
        for (int attempt = 0; attempt < 10 && drawn < 2; ++attempt) {
            reset();
            arm();
            window_->update();
            if (wait(now(), 2000) >= 0)
                ++drawn;
        }
        return drawn == 2;
    }

private:
    QQuickWindow* window_;
    QElapsedTimer clock_;
    QEventLoop loop_;
    std::atomic<bool> armed_ = false;
    std::atomic<bool> synced_ = false;
    std::atomic<qint64> swappedNs_ = -1;
};

// Items of the window whose object name starts with prefix, drawn inside within, top first.
QList<QQuickItem*> shownItems(QQuickWindow* window, const QString& prefix, QQuickItem* within) {
    QList<QQuickItem*> found;
    const QRectF bounds = within ? within->mapRectToScene(within->boundingRect())
                                 : QRectF(0, 0, window->width(), window->height());
    std::function<void(QQuickItem*)> walk = [&](QQuickItem* item) {
        if (!item->isVisible())
            return;
        if (item->objectName().startsWith(prefix) && item->height() > 0) {
            const QRectF at = item->mapRectToScene(item->boundingRect());
            if (bounds.contains(at.center()))
                found << item;
        }
        for (QQuickItem* child : item->childItems())
            walk(child);
    };
    walk(window->contentItem());
    std::sort(found.begin(), found.end(), [](QQuickItem* a, QQuickItem* b) {
        return a->mapToScene(QPointF()).y() < b->mapToScene(QPointF()).y();
    });
    return found;
}
QQuickItem* named(QQuickWindow* window, const QString& name) {
    const auto found = shownItems(window, name, nullptr);
    for (QQuickItem* item : found)
        if (item->objectName() == name)
            return item;
    return nullptr;
}
QPoint centreOf(QQuickItem* item) {
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}
// The menu's entry whose text ends with title (texts carry a symbol first).
QQuickItem* menuEntry(QObject* menu, const QString& title) {
    const int count = menu->property("count").toInt();
    for (int i = 0; i < count; ++i) {
        QQuickItem* item = nullptr;
        QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem*, item), Q_ARG(int, i));
        if (item && item->isVisible() && item->height() > 0 &&
            item->property("text").toString().endsWith(title))
            return item;
    }
    return nullptr;
}
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 60000) {
    return QTest::qWaitFor(condition, timeoutMs);
}
// Checks run between the input and the frame, so they read the rows the list screen already
// publishes and compare ids, not texts made for the purpose.
int offsetOf(const ReminderListModel* rows, const QString& idText) {
    const auto id = Reminder::idFromText(idText);
    const auto& list = rows->rows();
    for (qsizetype i = 0; id && i < list.size(); ++i)
        if (list[i].reminder->id() == *id)
            return int(i);
    return -1;
}
bool holdsText(const ReminderListModel* rows, const QString& text) {
    const auto& list = rows->rows();
    return std::any_of(list.begin(), list.end(),
                       [&](const ReminderListModel::Row& row) { return row.text == text; });
}

class Bench {
public:
    Bench(QQuickWindow* window, ReminderView& list, int runs)
        : window_(window)
        , probe_(window)
        , list_(list)
        , runs_(runs) {
        QObject::connect(&list, &ReminderView::listsChanged, window, [this] {
            if (done_ && !probe_.isArmed() && done_())
                probe_.arm();
        });
    }

    // Times input() from its event to the first frame after the list screen's lists show
    // what done() looks for. prepare() runs untimed before; after() checks (and may undo)
    // once the frame is there. Each gets the run's number.
    Samples measure(const QString& name, int runs, const std::function<void(int)>& prepare,
                    const std::function<void(int)>& input, const std::function<bool(int)>& done,
                    const std::function<bool(int)>& after = {}) {
        Samples samples;
        for (int run = 0; run < runs && ok_; ++run) {
            prepare(run);
            if (!ok_ || !probe_.settle()) {
                fail(name + QStringLiteral(": the window does not draw (run %1, %2)")
                                .arg(run)
                                .arg(window_->isExposed() ? QStringLiteral("exposed")
                                                          : QStringLiteral("not exposed")));
                break;
            }
            probe_.reset();
            done_ = [&] { return done(run); };
            const qint64 start = probe_.now();
            input(run);
            const double ms = probe_.wait(start);
            done_ = nullptr;
            if (ms < 0) {
                fail(name + QStringLiteral(": no frame showed the result (run %1)").arg(run));
                break;
            }
            samples.add(ms);
            if (!done(run) || (after && !after(run)))
                fail(name +
                     QStringLiteral(": the action did not do what it should (run %1)").arg(run));
        }
        return samples;
    }
    Samples emptyFrames(int runs) {
        Samples samples;
        for (int run = 0; run < runs && ok_; ++run) {
            if (!probe_.settle())
                fail(QStringLiteral("the window does not draw"));
            probe_.reset();
            const qint64 start = probe_.now();
            probe_.arm();
            window_->update();
            samples.add(probe_.wait(start));
        }
        return samples;
    }
    bool settle() { return probe_.settle(); }
    void fail(const QString& why) {
        if (ok_)
            error_ = why;
        ok_ = false;
    }
    bool ok() const { return ok_; }
    const QString& error() const { return error_; }
    int runs() const { return runs_; }

private:
    QQuickWindow* window_;
    FrameProbe probe_;
    ReminderView& list_;
    int runs_;
    std::function<bool()> done_;
    bool ok_ = true;
    QString error_;
};
} // namespace

bool benchWindow(const SeededStore& store, const QString& platform, int runs,
                 const QStringList& only, Report& report, QString* error) {
    auto wants = [&](const QString& name) { return only.isEmpty() || only.contains(name); };
    const int size = store.size();
    const QString category = SeededStore::category().rawValue();
    RawSqlite raw(store.copyStore(QStringLiteral("raw.store")));
    if (!raw.isValid()) {
        *error = raw.error();
        return false;
    }
    // Bulk actions write a thirtieth of the store per run, each run in another category.
    const int bulkRuns = std::clamp(size >= 1000000  ? runs / 3
                                    : size >= 100000 ? runs / 2
                                                     : runs,
                                    3, 14);

    ModelConfiguration configuration;
    configuration.url = store.storePath();
    auto container = NudgeboxStore::open(configuration, error);
    if (!container)
        return false;
    ModelContext& context = *container->mainContext();
    ScenePhaseSource phase;
    SystemServices services;
    AppView appView(&context, &phase, UIUserInterfaceIdiom::Pad, services);
    QQmlApplicationEngine engine;
    engine.setInitialProperties({{QStringLiteral("appView"), QVariant::fromValue(&appView)}});
    engine.load(QUrl(QStringLiteral("qrc:/Nudgebox/ContentView.qml")));
    auto* window = engine.rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    if (!window || !QTest::qWaitForWindowExposed(window, 60000)) {
        *error = QStringLiteral("the window did not show");
        return false;
    }
    ReminderView& list = *appView.reminderView();
    MainView& sidebar = *appView.mainView();
    sidebar.select(category);
    Bench bench(window, list, runs);
    QQuickItem* listArea = nullptr;
    if (!waitFor([&] { return (listArea = named(window, QStringLiteral("reminderList"))); }) ||
        !bench.settle()) {
        *error = QStringLiteral("the list did not show");
        return false;
    }
    auto row = [&](const QString& figure, Samples measured, Samples rawSamples, const QString& work,
                   Judge judge) {
        ReportRow line;
        line.figure = figure;
        line.platform = platform;
        line.size = size;
        line.value = std::move(measured);
        line.raw = std::move(rawSamples);
        line.rawWork = work;
        line.judge = judge;
        report.add(std::move(line));
    };
    auto firstPending = [&]() -> QQuickItem* {
        const auto rows = shownItems(window, QStringLiteral("pending:"), listArea);
        return rows.isEmpty() ? nullptr : rows.first();
    };
    // Waits for the list to stop scrolling; false if it will not.
    auto restingAt = [&]() {
        double before = -1;
        for (int round = 0; round < 50; ++round) {
            if (!bench.settle())
                return false;
            const double now = listArea->property("contentY").toDouble();
            if (now == before && !listArea->property("moving").toBool())
                return true;
            before = now;
        }
        return false;
    };

    {
        ReportRow frame;
        frame.figure = frameFigure();
        frame.platform = platform;
        frame.size = size;
        frame.value = bench.emptyFrames(runs);
        frame.judge = Judge::Frame;
        report.add(std::move(frame));
    }

    // Return in the add row adds the typed text as a pending reminder.
    if (wants(QStringLiteral("add")) && bench.ok()) {
        QQuickItem* field = named(window, QStringLiteral("addField"));
        if (!field) {
            *error = QStringLiteral("no add row");
            return false;
        }
        QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(field));
        const qsizetype before = list.pendingCount();
        Samples app = bench.measure(
            QStringLiteral("add"), runs,
            [&](int run) {
                if (!field->hasActiveFocus())
                    field->forceActiveFocus();
                for (QChar c : QStringLiteral("Bench %1").arg(run))
                    QTest::keyClick(window, c.toLatin1());
            },
            [&](int) { QTest::keyClick(window, Qt::Key_Return); },
            [&](int run) {
                return list.pendingCount() == before + run + 1 &&
                       holdsText(list.pendingRows(), QStringLiteral("Bench %1").arg(run));
            });
        row(QStringLiteral("add by Return"), app, raw.insertOne(runs), QStringLiteral("1 INSERT"),
            Judge::Action);
    }
    // A tap on the first pending row shown completes it.
    if (wants(QStringLiteral("toggle")) && bench.ok()) {
        QString id;
        Samples app = bench.measure(
            QStringLiteral("toggle"), runs,
            [&](int) {
                // The list at rest at its top: a row that moves under the pointer is dragged,
                // not tapped, and the list follows the row it just moved to the other group.
                QMetaObject::invokeMethod(listArea, "positionViewAtBeginning");
                if (!restingAt())
                    return bench.fail(QStringLiteral("toggle: the list does not come to rest"));
                QQuickItem* target = firstPending();
                if (!target)
                    return bench.fail(QStringLiteral("toggle: no pending row shown"));
                id = target->property("idText").toString();
            },
            [&](int) {
                QQuickItem* target = firstPending();
                QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(target));
            },
            [&](int) {
                return offsetOf(list.completedRows(), id) >= 0 &&
                       offsetOf(list.pendingRows(), id) < 0;
            });
        row(QStringLiteral("toggle by tap"), app,
            raw.updateCompleted(raw.rowsOf(category, true).mid(0, 1), runs),
            QStringLiteral("1 UPDATE"), Judge::Action);
    }
    // Ctrl+Down and Ctrl+Up in edit mode move the focused row by one place.
    if (wants(QStringLiteral("move")) && bench.ok()) {
        list.setIsEditing(true);
        QString id, text;
        int offset = -1;
        Samples app = bench.measure(
            QStringLiteral("move"), runs,
            [&](int run) {
                if (run == 0) {
                    QMetaObject::invokeMethod(listArea, "positionViewAtBeginning");
                    if (!restingAt())
                        return bench.fail(QStringLiteral("move: the list does not come to rest"));
                    QQuickItem* target = firstPending();
                    if (!target)
                        return bench.fail(QStringLiteral("move: no pending row shown"));
                    id = target->property("idText").toString();
                    text = target->property("reminderText").toString();
                }
                if (!waitFor([&] {
                        QQuickItem* target = named(window, QStringLiteral("pending:") + text);
                        if (target && !target->hasActiveFocus())
                            target->forceActiveFocus();
                        return target && target->hasActiveFocus();
                    }))
                    return bench.fail(QStringLiteral("move: the row takes no focus"));
                offset = offsetOf(list.pendingRows(), id);
            },
            [&](int run) {
                QTest::keyClick(window, run % 2 == 0 ? Qt::Key_Down : Qt::Key_Up,
                                Qt::ControlModifier);
            },
            [&](int run) {
                return offsetOf(list.pendingRows(), id) == offset + (run % 2 == 0 ? 1 : -1);
            });
        list.setIsEditing(false);
        row(QStringLiteral("move by Ctrl+arrow"), app,
            raw.renumber(raw.rowsOf(category, true).mid(0, 2), runs),
            QStringLiteral("2 UPDATE (swap)"), Judge::Action);
    }
    // One character typed in the search field filters the list.
    if (wants(QStringLiteral("type")) && bench.ok()) {
        QQuickItem* search = named(window, QStringLiteral("listSearch"));
        if (!search) {
            *error = QStringLiteral("no search field");
            return false;
        }
        QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(search));
        Samples app = bench.measure(
            QStringLiteral("typed character"), runs,
            [&](int) {
                QMetaObject::invokeMethod(listArea, "positionViewAtBeginning");
                if (!restingAt())
                    return bench.fail(QStringLiteral("typing: the list does not come to rest"));
                if (!search->hasActiveFocus())
                    search->forceActiveFocus();
            },
            [&](int run) {
                // A character, then Backspace: each narrows or widens the list.
                if (run % 2 == 0)
                    QTest::keyClick(window, '7');
                else
                    QTest::keyClick(window, Qt::Key_Backspace);
            },
            [&](int run) {
                return list.searchText() == (run % 2 == 0 ? QStringLiteral("7") : QString());
            },
            [&](int run) {
                // What the window shows: the rows the search hides take no room.
                const QString shown = run % 2 == 0 ? QStringLiteral("7") : QString();
                const auto rows = shownItems(window, QStringLiteral("pending:"), listArea);
                const auto pending = list.pendingList();
                const bool anyMatch =
                    std::any_of(pending.begin(), pending.end(), [&](const auto& reminder) {
                        return reminder->text().contains(shown);
                    });
                return rows.isEmpty() != anyMatch &&
                       std::all_of(rows.begin(), rows.end(), [&](QQuickItem* item) {
                           return item->property("reminderText").toString().contains(shown);
                       });
            });
        if (!list.searchText().isEmpty())
            QTest::keyClick(window, Qt::Key_Backspace);
        listArea->forceActiveFocus();
        row(QStringLiteral("typed character in search"), app,
            raw.searchCategory(category, QStringLiteral("7"), runs),
            QStringLiteral("SELECT the category's matches"), Judge::Action);
    }
    // The pending header's menu: "Mark all as completed" and "Delete all reminders". Each run
    // works in a category of its own, untouched so far, so its rows lie where seeding put them
    // (spread over the whole table), on both sides, and nothing has to be put back.
    const auto& all = ReminderCategory::allCases();
    QStringList fresh;
    for (const auto& each : all)
        if (each.rawValue() != category)
            fresh << each.rawValue();
    auto headerMenuAction = [&](const QString& name, const QString& title,
                                const QStringList& categories) {
        // Built the first time it opens.
        auto menu = [&] {
            return window->findChild<QObject*>(QStringLiteral("reminderHeaderMenu"));
        };
        Samples app = bench.measure(
            name, int(categories.size()),
            [&](int run) {
                sidebar.select(categories[run]);
                if (!waitFor([&] { return !list.pendingList().isEmpty(); }))
                    return bench.fail(name + QStringLiteral(": the category shows no row"));
                // The list at its top, as a user would scroll to reach the header.
                QMetaObject::invokeMethod(listArea, "positionViewAtBeginning");
                if (!restingAt())
                    return bench.fail(name + QStringLiteral(": the list does not come to rest"));
                QQuickItem* header = named(window, QStringLiteral("pendingHeader"));
                if (!header)
                    return bench.fail(name + QStringLiteral(": no pending header"));
                QTest::mouseClick(window, Qt::RightButton, {}, centreOf(header));
                if (!waitFor([&] {
                        return menu() && menu()->property("opened").toBool() &&
                               menuEntry(menu(), title);
                    }))
                    bench.fail(name + QStringLiteral(": the menu did not open"));
            },
            [&](int) {
                QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(menuEntry(menu(), title)));
            },
            [&](int) { return list.pendingCount() == 0; },
            [&](int) { return waitFor([&] { return !menu()->property("visible").toBool(); }); });
        return app;
    };
    auto pendingRowsOf = [&](const QStringList& categories) {
        QList<QList<qint64>> rows;
        for (const QString& each : categories)
            rows << raw.rowsOf(each, true);
        return rows;
    };
    if (wants(QStringLiteral("mark-all")) && bench.ok()) {
        const QStringList categories = fresh.mid(0, bulkRuns);
        Samples app = headerMenuAction(QStringLiteral("mark all"),
                                       QStringLiteral("Mark all as completed"), categories);
        const auto rows = pendingRowsOf(categories);
        row(QStringLiteral("mark all completed"), app, raw.completeEach(rows),
            QStringLiteral("%1 UPDATE").arg(rows.first().size()), Judge::Bulk);
    }
    if (wants(QStringLiteral("bulk-delete")) && bench.ok()) {
        const QStringList categories = fresh.mid(bulkRuns, bulkRuns);
        Samples app = headerMenuAction(QStringLiteral("bulk delete"),
                                       QStringLiteral("Delete all reminders"), categories);
        const auto rows = pendingRowsOf(categories);
        row(QStringLiteral("delete all pending"), app, raw.deleteEach(rows),
            QStringLiteral("%1 DELETE").arg(rows.first().size()), Judge::Bulk);
    }
    sidebar.select(category);
    waitFor([&] { return !list.pendingList().isEmpty(); });
    // A click on a sidebar row selects its category; two rows in turn.
    if (wants(QStringLiteral("select")) && bench.ok()) {
        QQuickItem* sidebarList = named(window, QStringLiteral("sidebarList"));
        QStringList choices;
        if (sidebarList)
            for (QQuickItem* item : shownItems(window, QStringLiteral("row:"), sidebarList))
                if (item->objectName() != QStringLiteral("row:") + category && choices.size() < 2)
                    choices << item->objectName();
        if (choices.size() < 2) {
            *error = QStringLiteral("no two sidebar rows shown");
            return false;
        }
        Samples app = bench.measure(
            QStringLiteral("select"), runs, [](int) {},
            [&](int run) {
                QQuickItem* target = named(window, choices[run % 2]);
                QTest::mouseClick(window, Qt::LeftButton, {}, centreOf(target));
            },
            [&](int run) {
                return QStringLiteral("row:") + sidebar.selectedCategoryRawValue() ==
                       choices[run % 2];
            });
        const QString chosen = choices[0].mid(4);
        row(QStringLiteral("select category"), app, raw.readCategory(chosen, runs),
            QStringLiteral("SELECT the category's rows"), Judge::Action);
        sidebar.select(category);
    }
    if (!bench.ok())
        *error = bench.error();
    return bench.ok();
}
