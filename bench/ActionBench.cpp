#include "ActionBench.h"

#include "AppGroup.h"
#include "AppView.h"
#include "ChartView.h"
#include "CompletedReminders.h"
#include "MainView.h"
#include "NudgeboxStore.h"
#include "RawSqlite.h"
#include "ReminderView.h"
#include "SeededStore.h"
#include "SystemServices.h"
#include "settings/UserDefaults.h"
#include "store/ModelContext.h"
#include "ui/ScenePhase.h"

#include <QCoreApplication>

namespace {
// Counts how often each screen rebuilt its derived lists.
struct Refreshes {
    int list = 0, sidebar = 0, overview = 0;
    explicit Refreshes(AppView& app) {
        QObject::connect(app.reminderView(), &ReminderView::listsChanged, [this] { ++list; });
        QObject::connect(app.mainView(), &MainView::rowsChanged, [this] { ++sidebar; });
        QObject::connect(app.chartView(), &ChartView::changed, [this] { ++overview; });
    }
    void reset() { list = sidebar = overview = 0; }
    bool all() const { return list > 0 && sidebar > 0 && overview > 0; }
};

// Runs the event loop's queued work until every screen has refreshed (or nothing is left).
bool settle(Refreshes& refreshes) {
    for (int round = 0; round < 16 && !refreshes.all(); ++round)
        QCoreApplication::sendPostedEvents();
    return refreshes.all();
}

class Bench {
public:
    Bench(AppView& app, ModelContext& context, ScenePhaseSource& phase)
        : app_(app)
        , context_(context)
        , phase_(phase)
        , refreshes_(app) {}

    // Times action() until every screen is up to date; prepare() runs untimed before it.
    template <class Prepare, class Action>
    Samples measure(const QString& name, int runs, Prepare prepare, Action action) {
        Samples samples;
        for (int run = 0; run < runs && ok_; ++run) {
            prepare(run);
            settleUntimed();
            refreshes_.reset();
            samples.time([&] {
                action(run);
                if (!settle(refreshes_))
                    fail(name + QStringLiteral(": not every screen refreshed"));
            });
        }
        return samples;
    }
    void settleUntimed() {
        for (int round = 0; round < 4; ++round)
            QCoreApplication::sendPostedEvents();
    }
    void fail(const QString& why) {
        if (ok_)
            error_ = why;
        ok_ = false;
    }
    void check(bool condition, const QString& why) {
        if (!condition)
            fail(why);
    }
    bool ok() const { return ok_; }
    const QString& error() const { return error_; }

    ReminderView& list() { return *app_.reminderView(); }
    MainView& sidebar() { return *app_.mainView(); }
    ModelContext& context() { return context_; }
    ScenePhaseSource& phase() { return phase_; }

private:
    AppView& app_;
    ModelContext& context_;
    ScenePhaseSource& phase_;
    Refreshes refreshes_;
    bool ok_ = true;
    QString error_;
};

qsizetype total(ModelContext& context) {
    return context.fetch<Reminder>().size();
}
} // namespace

bool benchActions(const SeededStore& store, int runs, const QStringList& only, Report& report,
                  QString* error) {
    auto wants = [&](const QString& name) { return only.isEmpty() || only.contains(name); };
    const int size = store.size();
    const QString category = SeededStore::category().rawValue();
    RawSqlite raw(store.copyStore(QStringLiteral("raw.store")));
    if (!raw.isValid()) {
        *error = raw.error();
        return false;
    }

    ModelConfiguration configuration;
    configuration.url = store.storePath();
    auto container = NudgeboxStore::open(configuration, error);
    if (!container)
        return false;
    ModelContext& context = *container->mainContext();
    ScenePhaseSource phase;
    SystemServices services;
    AppView app(&context, &phase, UIUserInterfaceIdiom::Pad, services);
    Bench bench(app, context, phase);
    app.mainView()->onAppear();
    app.mainView()->select(category);
    bench.settleUntimed();
    ReminderView& list = bench.list();
    auto row = [&](const QString& measure, Samples app, Samples rawSamples,
                   const QString& rawWork) {
        report.add(size, measure, std::move(app), std::move(rawSamples), rawWork,
                   size >= 100000  ? 16
                   : size >= 10000 ? 8
                                   : 0);
    };

    // add: a pending reminder from the add row.
    if (wants(QStringLiteral("add"))) {
        const qsizetype before = total(context);
        Samples app = bench.measure(
            "add", runs,
            [&](int run) { list.setTextField(QStringLiteral("Bench reminder %1").arg(run)); },
            [&](int) { list.addReminder(); });
        bench.check(total(context) == before + runs, QStringLiteral("add did not add"));
        row(QStringLiteral("add reminder"), app, raw.insertOne(runs), QStringLiteral("1 INSERT"));
    }
    // toggle: tapping a row flips it.
    if (wants(QStringLiteral("toggle"))) {
        const auto reminder = list.pendingList().first();
        Samples app = bench.measure(
            "toggle", runs, [](int) {}, [&](int) { list.toggleCompletion(reminder->idText()); });
        bench.check(reminder->completed() == (runs % 2 == 1), QStringLiteral("toggle did not"));
        row(QStringLiteral("toggle completion"), app,
            raw.updateCompleted(raw.rowsOf(category, true).mid(0, 1), runs),
            QStringLiteral("1 UPDATE"));
    }
    // delete: the reminders added above, one by one.
    if (wants(QStringLiteral("delete"))) {
        const qsizetype before = total(context);
        Samples app = bench.measure(
            "delete", runs, [](int) {},
            [&](int) { list.deleteReminder(list.pendingList().last()->idText()); });
        bench.check(total(context) == before - runs, QStringLiteral("delete did not delete"));
        row(QStringLiteral("delete reminder"), app, raw.deleteOne(runs),
            QStringLiteral("1 DELETE"));
    }
    // move: the last pending row dragged to the top renumbers the whole group.
    if (wants(QStringLiteral("move"))) {
        const qsizetype group = list.pendingList().size();
        Samples app = bench.measure(
            "move", runs, [](int) {},
            [&](int) { list.moveReminders(ReminderView::Section::Pending, {int(group) - 1}, 0); });
        bench.check(list.pendingList().size() == group, QStringLiteral("move lost rows"));
        row(QStringLiteral("move reminder (%1 renumbered)").arg(group), app,
            raw.renumber(raw.rowsOf(category, true), runs), QStringLiteral("%1 UPDATE").arg(group));
    }
    // mark all: the pending group of the category completed at once.
    if (wants(QStringLiteral("mark-all"))) {
        const auto pending = list.pendingList();
        Samples app = bench.measure(
            "mark all", runs,
            [&](int) {
                for (const auto& reminder : pending)
                    reminder->setCompleted(false);
                context.save();
            },
            [&](int) { list.markAllAsCompleted(); });
        bench.check(list.pendingList().isEmpty(), QStringLiteral("mark all left pending rows"));
        const auto rows = raw.rowsOf(category, true);
        row(QStringLiteral("mark all completed (%1)").arg(pending.size()), app,
            raw.updateCompleted(rows, runs), QStringLiteral("%1 UPDATE").arg(rows.size()));
        for (const auto& reminder : pending)
            reminder->setCompleted(false);
        context.save();
    }
    // bulk delete: the sidebar's "Delete all reminders" of a category, put back between runs.
    if (wants(QStringLiteral("bulk-delete"))) {
        const QString other = ReminderCategory(ReminderCategory::pets).rawValue();
        const auto victims = raw.rowsOf(other, false);
        const qsizetype before = total(context);
        Samples app = bench.measure(
            "bulk delete", runs,
            [&](int run) {
                if (run == 0)
                    return;
                for (qsizetype i = 0; i < victims.size(); ++i)
                    context.insert(std::make_shared<Reminder>(other, false, QUuid::createUuid(), i,
                                                              QStringLiteral("restored")));
                context.save();
            },
            [&](int) {
                bench.sidebar().deleteAll(
                    {MainView::Scope::Kind::category, ReminderCategory::pets});
            });
        bench.check(total(context) == before - victims.size(),
                    QStringLiteral("bulk delete left rows"));
        row(QStringLiteral("bulk delete (%1)").arg(victims.size()), app,
            raw.deleteRows(victims, runs), QStringLiteral("%1 DELETE").arg(victims.size()));
    }
    // apply hand-over: 50 ids from the widget applied when the application becomes active.
    if (wants(QStringLiteral("hand-over"))) {
        constexpr int handed = 50;
        UserDefaults shared(AppGroup::identifier());
        QList<std::shared_ptr<Reminder>> chosen;
        const auto all = context.fetch<Reminder>();
        for (qsizetype i = 1; i < all.size() && chosen.size() < handed; i += all.size() / handed)
            chosen.append(all[i]);
        Samples app = bench.measure(
            "apply hand-over", runs,
            [&](int) {
                for (const auto& reminder : chosen) {
                    reminder->setCompleted(false);
                    CompletedReminders::append(shared, reminder->idText());
                }
                context.save();
                bench.phase().setPhase(ScenePhase::background);
            },
            [&](int) { bench.phase().setPhase(ScenePhase::active); });
        bench.check(std::all_of(chosen.begin(), chosen.end(),
                                [](const auto& r) { return r->completed(); }) &&
                        CompletedReminders::read(shared).isEmpty(),
                    QStringLiteral("the hand-over was not applied"));
        QList<qint64> rows = raw.rowsOf(category, false).mid(0, chosen.size());
        row(QStringLiteral("apply hand-over (%1 ids)").arg(chosen.size()), app,
            raw.updateCompleted(rows, runs), QStringLiteral("%1 UPDATE").arg(rows.size()));
    }
    // The chart slices alone.
    if (wants(QStringLiteral("slices"))) {
        Samples timing;
        for (int run = 0; run < runs; ++run)
            timing.time([&] { list.updatePieChartData(); });
        const PieChartSlices& slices = app.pieChartData();
        bench.check(slices.size() == 2 && slices[0].amount == double(list.completedList().size()) &&
                        slices[1].amount == double(list.pendingList().size()),
                    QStringLiteral("the slices do not count the category"));
        report.add(size, QStringLiteral("updatePieChartData"), timing,
                   raw.countCategory(category, runs), QStringLiteral("SELECT count GROUP BY"), 0);
    }
    if (!bench.ok())
        *error = bench.error();
    return bench.ok();
}
