#include "App_Widget.h"
#include "App_WidgetEntryView.h"
#include "Favorite.h"
#include "MainView.h"
#include "Provider.h"
#include "SaveReminderId.h"
#include "ScreenFixture.h"
#include "store/ModelContext.h"
#include "store/Query.h"

#include "widgets/WidgetCenter.h"
#include <QRandomGenerator>

class WidgetTest : public QObject {
    Q_OBJECT
    ScreenFixture fixture_;
    std::unique_ptr<Query<Reminder>> reminders_;

    std::unique_ptr<App_WidgetEntryView> draw(WidgetFamily family) {
        return std::make_unique<App_WidgetEntryView>(family, reminders_.get(), fixture_.services);
    }
    // The default store both processes open, as the application opens it, saving by hand.
    static std::unique_ptr<ModelContainer> openApplicationStore() {
        ModelConfiguration configuration;
        configuration.autosaveEnabled = false;
        QString error;
        auto container = NudgeboxStore::open(configuration, &error);
        if (!container)
            qWarning() << "the store does not open:" << error;
        return container;
    }
    void handOver(const QStringList& ids) {
        UserDefaults shared(AppGroup::identifier());
        writeSetting(shared, SettingsKeys::completedReminders, ids);
    }

private slots:
    void init() {
        fixture_.reset();
        reminders_ = std::make_unique<Query<Reminder>>(fixture_.context());
    }

    void timelinesAreFiveHourlyEntries() {
        const QDateTime now = QDateTime::currentDateTime();
        const auto timeline = Provider::timelineFrom(now);
        QCOMPARE(timeline.entries.size(), 5);
        QCOMPARE(timeline.policy, TimelineReloadPolicy::atEnd);
        QCOMPARE(timeline.entries.first().date, now);
        for (int i = 1; i < 5; ++i)
            QCOMPARE(timeline.entries[i - 1].date.secsTo(timeline.entries[i].date), 3600);
        Provider provider;
        QCOMPARE(provider.placeholder().emoji, QStringLiteral("\U0001F600"));
        QCOMPARE(provider.placeholder().emoji.toUtf8().size(), 4);
        std::optional<SimpleEntry> snapshot;
        provider.getSnapshot([&](SimpleEntry e) { snapshot = e; });
        QVERIFY(snapshot); // called at once
        QCOMPARE(snapshot->emoji, Provider::emoji());
        for (const auto& entry : timeline.entries)
            QCOMPARE(entry.emoji, Provider::emoji());
        App_Widget widget;
        QList<QDateTime> dates;
        widget.timeline([&](QList<QDateTime> d, TimelineReloadPolicy) { dates = d; });
        QCOMPARE(dates.size(), 5);
        QCOMPARE(widget.kind(), QStringLiteral("App_Widget"));
        QCOMPARE(widget.supportedFamilies(),
                 (QList<WidgetFamily>{WidgetFamily::SystemSmall, WidgetFamily::SystemLarge}));
    }

    void smallFamilyRingAndPercentage() {
        QCOMPARE(draw(WidgetFamily::SystemSmall)->smallState(),
                 App_WidgetEntryView::SmallState::NoReminders);
        auto a = fixture_.add("Pets", "a", true);
        QCOMPARE(draw(WidgetFamily::SystemSmall)->smallState(),
                 App_WidgetEntryView::SmallState::NoPending);
        auto b = fixture_.add("Pets", "b");
        fixture_.add("Work", "c");
        auto view = draw(WidgetFamily::SystemSmall);
        QCOMPARE(view->smallState(), App_WidgetEntryView::SmallState::Chart);
        QVERIFY(view->pieChartData().isEmpty()); // filled when the stack comes on screen
        view->onAppear();
        QCOMPARE(view->pieChartData(), (PieChartSlices{{1.0, ReminderStatus::completed},
                                                       {2.0, ReminderStatus::pending}}));
        QCOMPARE(view->percentageText(), QStringLiteral("33%"));
        // Handed over but not yet applied: still pending for the small chart.
        handOver({b->idText()});
        QCOMPARE(draw(WidgetFamily::SystemSmall)->percentageText(), QStringLiteral("33%"));
        b->setCompleted(true);
        QCOMPARE(draw(WidgetFamily::SystemSmall)->percentageText(), QStringLiteral("66%"));
        Q_UNUSED(a);
    }

    void largeFamilyListsTheLastEightPending() {
        QVERIFY(draw(WidgetFamily::SystemLarge)->rows().isEmpty());
        QList<std::shared_ptr<Reminder>> pending;
        for (int i = 0; i < 12; ++i)
            pending << fixture_.add(i % 2 ? "American football" : "Nowhere", QString::number(i));
        fixture_.add("Pets", "done", true);
        auto rows = draw(WidgetFamily::SystemLarge)->rows();
        QCOMPARE(rows.size(), 8);
        QCOMPARE(rows.first().text, QStringLiteral("4"));
        QCOMPARE(rows.last().text, QStringLiteral("11"));
        QCOMPARE(rows.last().iconName, QStringLiteral("football.fill"));
        QCOMPARE(rows.first().iconName, QString());
        // Handed-over ones leave the list before the application applies them.
        handOver({pending[11]->idText(), pending[10]->idText()});
        rows = draw(WidgetFamily::SystemLarge)->rows();
        QCOMPARE(rows.size(), 8);
        QCOMPARE(rows.first().text, QStringLiteral("2"));
        QCOMPARE(rows.last().text, QStringLiteral("9"));
        QVERIFY(!pending[11]->completed());
    }

    // The widget host redraws on the reload request of the application's hand-over pass; that
    // drawing reads the store through the widget's own connection and must show the applied
    // completions, in the ring and in the list.
    void theRedrawAfterAHandOverShowsItsCompletions() {
        auto application = openApplicationStore();
        QVERIFY(application);
        ModelContext* context = application->mainContext();
        QList<std::shared_ptr<Reminder>> all;
        for (int i = 0; i < 3; ++i) {
            all << std::make_shared<Reminder>("Pets", false, QUuid::createUuid(), i,
                                              QStringLiteral("pet %1").arg(i));
            context->insert(all.last());
        }
        QVERIFY(context->save());
        App_Widget widget;
        auto drawSmall = [&] {
            std::unique_ptr<QObject> view(widget.makeEntryView(WidgetFamily::SystemSmall, nullptr));
            return static_cast<App_WidgetEntryView*>(view.get())->percentageText();
        };
        QCOMPARE(drawSmall(), QStringLiteral("0%"));
        FakeServices& services = fixture_.services;
        SaveReminderId(all[0]->idText()).run(services);
        SaveReminderId(all[1]->idText()).run(services);

        State<std::optional<ReminderCategory>> selected;
        State<PieChartSlices> slices;
        Query<Favorite> favorites(context);
        Query<Reminder> reminders(context);
        MainView sidebar(Binding<PieChartSlices>(slices),
                         Binding<std::optional<ReminderCategory>>(selected), &favorites, &reminders,
                         nullptr, UIUserInterfaceIdiom::Phone, services);
        QStringList ring;
        QList<QStringList> lists;
        services.onReload = [&] {
            ring << drawSmall();
            std::unique_ptr<QObject> view(widget.makeEntryView(WidgetFamily::SystemLarge, nullptr));
            QStringList texts;
            for (const auto& row : static_cast<App_WidgetEntryView*>(view.get())->rows())
                texts << row.text;
            lists << texts;
        };
        sidebar.onAppear();
        services.onReload = {};
        QCOMPARE(ring, QStringList{"66%"});
        QCOMPARE(lists, QList<QStringList>{QStringList{"pet 2"}});
    }

    // The ring's counts are carried from drawing to drawing, change by change; whatever the
    // application does in between, each drawing must count what a fresh look at the store
    // counts: records added, completed, reopened, deleted, several times between two drawings,
    // or so many at once that the widget reads everything again.
    void theRingFollowsEveryChangeOfTheApplication() {
        auto application = openApplicationStore();
        QVERIFY(application);
        ModelContext* context = application->mainContext();
        App_Widget widget;
        auto drawnCounts = [&] {
            std::unique_ptr<QObject> view(widget.makeEntryView(WidgetFamily::SystemSmall, nullptr));
            auto* entry = static_cast<App_WidgetEntryView*>(view.get());
            entry->onAppear();
            return std::pair{qint64(entry->pieChartData().at(0).amount),
                             qint64(entry->pieChartData().at(1).amount)};
        };
        auto storeCounts = [&] {
            std::pair<qint64, qint64> counts;
            for (const auto& r : context->fetch<Reminder>())
                ++(r->completed() ? counts.first : counts.second);
            return counts;
        };
        QCOMPARE(drawnCounts(), storeCounts());
        QRandomGenerator random(4242);
        for (int step = 0; step < 60; ++step) {
            const int changes = step % 10 == 9 ? 400 : int(random.bounded(1, 6));
            for (int c = 0; c < changes; ++c) {
                auto all = context->fetch<Reminder>();
                const quint32 what = all.isEmpty() ? 0 : random.bounded(4);
                if (what == 0) {
                    context->insert(std::make_shared<Reminder>("Work", random.bounded(2) == 1,
                                                               QUuid::createUuid(), 0, "r"));
                } else if (what == 3) {
                    context->remove(all[random.bounded(int(all.size()))]);
                } else {
                    auto& r = all[random.bounded(int(all.size()))];
                    r->setCompleted(!r->completed());
                }
            }
            QVERIFY(context->save());
            QCOMPARE(drawnCounts(), storeCounts());
        }
    }

    // The host shows what the widget says of itself; the description is looked up for translation.
    void theWidgetNamesAndDescribesItself() {
        App_Widget widget;
        QCOMPARE(widget.kind(), QStringLiteral("App_Widget"));
        QCOMPARE(widget.configurationDisplayName(), QStringLiteral("Nudgebox"));
        QCOMPARE(widget.description(), QStringLiteral("Keep track of all your pending tasks."));
        Translations german;
        german.table.insert("Keep track of all your pending tasks.",
                            "Behalte alle offenen Aufgaben im Blick.");
        QCoreApplication::installTranslator(&german);
        QCOMPARE(widget.description(), QStringLiteral("Behalte alle offenen Aufgaben im Blick."));
        QCoreApplication::removeTranslator(&german);
    }

    void iconsMatchInAnyLetterCase() {
        QCOMPARE(App_WidgetEntryView::iconNameFor("American football"),
                 QStringLiteral("football.fill"));
        QCOMPARE(App_WidgetEntryView::iconNameFor("american FOOTBALL"),
                 QStringLiteral("football.fill"));
        QCOMPARE(App_WidgetEntryView::iconNameFor("football"), QString());
        QCOMPARE(App_WidgetEntryView::iconNameFor(""), QString());
    }

    void theIntentAppendsAndReloads() {
        auto reminder = fixture_.add("Pets", "tap me");
        fixture_.save();
        UserDefaults shared(AppGroup::identifier());
        FakeServices& services = fixture_.services;
        SaveReminderId().run(services);
        QVERIFY(!shared.value("completedReminders").isValid()); // unchanged: not even written
        QCOMPARE(services.takeReloads(), 0);

        bool done = false;
        SaveReminderId(reminder->idText()).perform(services, [&] { done = true; });
        QVERIFY(!done); // asynchronous
        QTRY_VERIFY(done);
        QCOMPARE(services.takeReloads(), 1);
        SaveReminderId(reminder->idText()).run(services);
        SaveReminderId("NO-SUCH-REMINDER").run(services);
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders),
                 (QStringList{reminder->idText(), reminder->idText(), "NO-SUCH-REMINDER"}));
        QCOMPARE(services.takeReloads(), 2);
        // A row of the large family runs the intent with its reminder's id text.
        auto large = draw(WidgetFamily::SystemLarge);
        large->tap(reminder->idText());
        QTRY_COMPARE(services.reloads, 1);
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders).size(), 4);
        QVERIFY(!reminder->completed());
        QVERIFY(!fixture_.context()->hasChanges());
        QCOMPARE(SaveReminderId::title(), QStringLiteral("Complete a task"));
    }
};

QTEST_MAIN(WidgetTest)
#include "tst_widget.moc"
