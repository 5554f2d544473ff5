#include "ChartView.h"
#include "ScreenFixture.h"
#include "UIPasteboard.h"

namespace {
const ReminderCategory pets(ReminderCategory::pets);
} // namespace

class ChartsTest : public QObject {
    Q_OBJECT

    ScreenFixture fixture_;
    State<std::optional<ReminderCategory>> selected_;
    State<PieChartSlices> slices_;
    std::unique_ptr<Query<Reminder>> reminders_;
    std::unique_ptr<ChartView> view_;

    ChartView& view(UIUserInterfaceIdiom device = UIUserInterfaceIdiom::pad) {
        view_ = std::make_unique<ChartView>(Binding(slices_), Binding(selected_), reminders_.get(),
                                            device);
        return *view_;
    }

private slots:
    void init() {
        view_.reset();
        fixture_.reset();
        selected_.setValue(std::nullopt);
        slices_.setValue({});
        reminders_ = std::make_unique<Query<Reminder>>(
            fixture_.context(),
            SortDescriptor<Reminder>::forward(&Reminder::text, Reminder::textAttribute));
    }

    void threeStates() {
        fixture_.add("Work", "elsewhere");
        ChartView& chart = view();
        QCOMPARE(chart.screenState(), ChartView::ScreenState::noCategory);
        selected_.setValue(pets);
        QCOMPARE(chart.screenState(), ChartView::ScreenState::noReminders);
        fixture_.add("Pets", "done", true);
        QCOMPARE(chart.screenState(), ChartView::ScreenState::chart);
        // None pending: the list is empty, yet the chart and the edit button stay.
        QVERIFY(chart.shownRows().isEmpty());
        QVERIFY(chart.showsEditButton());
    }

    void rowsPassTheSearchAndTheSwitch() {
        fixture_.add("Pets", "walk the Dog");
        fixture_.add("Pets", "feed dog", true);
        fixture_.add("Pets", "brush cat");
        fixture_.add("pets", "other case dog");
        selected_.setValue(pets);
        ChartView& chart = view();
        QCOMPARE(chart.filterByCompletedStatus(), 1);
        QCOMPARE(texts(chart.shownRows()), (QStringList{"brush cat", "walk the Dog"}));
        chart.setSearchText("DOG");
        QCOMPARE(texts(chart.shownRows()), QStringList{"walk the Dog"});
        chart.setSearchText("dog "); // a trailing blank is searched for literally
        QVERIFY(chart.shownRows().isEmpty());
        chart.setSearchText("");
        chart.setFilterByCompletedStatus(0);
        QCOMPARE(texts(chart.shownRows()), QStringList{"feed dog"});
        UserDefaults standard;
        QCOMPARE(readSetting(standard, SettingsKeys::filterByCompletedStatus), 0);
        standard.setValue("filterByCompletedStatus", qint64(2));
        QVERIFY(chart.shownRows().isEmpty());
        QCOMPARE(chart.rows()->rowCount(), 0);
    }

    void centreShowsNameAndTruncatedPercentage() {
        selected_.setValue(pets);
        ChartView& chart = view();
        QCOMPARE(chart.centrePercentage(), QString());
        auto a = fixture_.add("Pets", "a", true);
        fixture_.add("Pets", "b");
        fixture_.add("Pets", "c");
        fixture_.add("Work", "w", true);
        QCOMPARE(chart.centreName(), QStringLiteral("Pets"));
        QCOMPARE(chart.centrePercentage(), QStringLiteral("33%"));
        reminders_->results()[1]->setCompleted(true);
        QCOMPARE(chart.centrePercentage(), QStringLiteral("66%"));
        a->setCompleted(false);
        reminders_->results()[1]->setCompleted(false);
        QCOMPARE(chart.centrePercentage(), QStringLiteral("0%"));
        // The percentage comes from the records; the slices only change when refreshed.
        QVERIFY(slices_.value().isEmpty());
    }

    void toolbarOffersFollowSelectionAndSwitch() {
        fixture_.add("Pets", "a");
        fixture_.add("Pets", "b", true);
        selected_.setValue(pets);
        ChartView& chart = view();
        QVERIFY(!chart.showsBulkDelete() && !chart.showsBulkComplete());
        chart.toggleSelected(0);
        QVERIFY(chart.showsBulkDelete() && chart.showsBulkComplete());
        // "a" is no longer shown, so nothing selected is: nothing to offer.
        chart.setFilterByCompletedStatus(0);
        QVERIFY(!chart.showsBulkDelete() && !chart.showsBulkComplete());
        chart.toggleSelected(0);
        QVERIFY(chart.showsBulkDelete());
        QVERIFY(!chart.showsBulkComplete());
        chart.setFilterByCompletedStatus(2);
        QVERIFY(!chart.showsBulkDelete() && !chart.showsBulkComplete());
        QVERIFY(!view(UIUserInterfaceIdiom::pad).showsSeparators());
        ChartView& phone = view(UIUserInterfaceIdiom::phone);
        QVERIFY(!phone.showsSeparators());
        phone.setFilterByCompletedStatus(1);
        QVERIFY(phone.showsSeparators());
    }

    void rowMenuAndRowOperations() {
        auto pending = fixture_.add("Pets", "a pending");
        auto done = fixture_.add("Pets", "b done", true);
        fixture_.save();
        fixture_.scheduleAndDeliver(*pending);
        selected_.setValue(pets);
        ChartView& chart = view();
        QCOMPARE(chart.rowMenu(*pending).size(), 3);
        QCOMPARE(chart.rowMenu(*pending)[1].title, QStringLiteral("Mark as completed"));
        QCOMPARE(chart.rowMenu(*done).size(), 2);
        QVERIFY(chart.rowMenu(*done)[1].destructive);

        chart.perform("copyToClipboard", 0);
        QCOMPARE(UIPasteboard::string(), QStringLiteral("a pending"));
        fixture_.takeReloads();
        chart.perform("toggleCompletion", 0);
        QVERIFY(pending->completed());
        QVERIFY(!fixture_.pendingIds().contains(pending->idText()));
        QVERIFY(!fixture_.deliveredIds().contains(pending->idText()));
        QCOMPARE(slices_.value(), (PieChartSlices{{2.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.takeReloads(), 1);
        // A completed row tapped with the switch on Completed becomes pending and leaves.
        chart.setFilterByCompletedStatus(0);
        QCOMPARE(chart.rows()->rowCount(), 2);
        chart.perform("toggleCompletion", 0);
        QVERIFY(!pending->completed());
        QCOMPARE(texts(chart.shownRows()), QStringList{"b done"});
        chart.perform("deleteReminder", 0);
        QVERIFY(done->isDeleted());
        QVERIFY(!fixture_.context()->hasChanges());
    }

    void bulkActionsKeepTheSelection() {
        auto a = fixture_.add("Pets", "a");
        auto b = fixture_.add("Pets", "b", true);
        auto c = fixture_.add("Pets", "c");
        // Another record with a's id, in a category not shown.
        auto twin = std::make_shared<Reminder>("Work", false, a->id(), 0, "a's twin");
        fixture_.context()->insert(twin);
        fixture_.save();
        fixture_.scheduleAndDeliver(*a);
        fixture_.scheduleAndDeliver(*c);
        selected_.setValue(pets);
        ChartView& chart = view();
        chart.setMultiSelection({a->id(), c->id()});
        chart.completeSelection();
        QVERIFY(a->completed() && c->completed());
        QVERIFY(!twin->completed());
        QVERIFY(!fixture_.pendingIds().contains(c->idText()));
        QCOMPARE(slices_.value(), (PieChartSlices{{3.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));

        chart.setFilterByCompletedStatus(0);
        chart.setMultiSelection({a->id(), b->id()});
        chart.deleteSelection();
        QVERIFY(a->isDeleted() && b->isDeleted() && !c->isDeleted());
        QVERIFY(!twin->isDeleted());
        // The id of what it deleted stays selected, but no shown row is: nothing is offered.
        // a's id leaves: it is now only the hidden twin's, which must not come up selected.
        QCOMPARE(chart.multiSelection(), QSet<QUuid>{b->id()});
        QVERIFY(!chart.showsBulkDelete());
        // Again: nothing matches any more, yet it saves and refreshes.
        slices_.setValue({});
        chart.deleteSelection();
        QVERIFY(!twin->isDeleted());
        QCOMPARE(slices_.value(), (PieChartSlices{{1.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
    }

    // Rows selected, then hidden by a change of what is shown: they leave the selection, the
    // toolbar stops offering what no shown row is selected for, and neither bulk action
    // reaches them.
    void hiddenRowsLeaveTheSelection_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("walkStaysShown");
        QTest::newRow("category") << "category" << false;
        QTest::newRow("status switch") << "switch" << false;
        QTest::newRow("search") << "search" << true;
        QTest::newRow("completed elsewhere") << "completed" << true;
    }
    void hiddenRowsLeaveTheSelection() {
        QFETCH(QString, change);
        QFETCH(bool, walkStaysShown);
        auto walk = fixture_.add("Pets", "walk the dog");
        auto feed = fixture_.add("Pets", "feed the cat");
        auto report = fixture_.add("Work", "dog report");
        fixture_.save();
        for (const auto& r : {walk, feed, report})
            fixture_.scheduleAndDeliver(*r);
        selected_.setValue(pets);
        ChartView& chart = view();
        chart.setIsEditing(true);
        chart.toggleSelected(0);
        chart.toggleSelected(1);
        QCOMPARE(chart.multiSelection(), (QSet<QUuid>{walk->id(), feed->id()}));

        if (change == "category") {
            selected_.setValue(ReminderCategory(ReminderCategory::work));
        } else if (change == "switch") {
            chart.setFilterByCompletedStatus(0);
        } else if (change == "search") {
            chart.setSearchText("DOG");
        } else {
            feed->setCompleted(true); // as another screen would, without a word to this one
            fixture_.save();
        }
        const QSet<QUuid> stillSelected = walkStaysShown ? QSet<QUuid>{walk->id()} : QSet<QUuid>{};
        QTRY_COMPARE(chart.multiSelection(), stillSelected);
        QCOMPARE(chart.showsBulkDelete(), walkStaysShown);
        QCOMPARE(chart.showsBulkComplete(), walkStaysShown);
        for (int row = 0; row < chart.rows()->rowCount(); ++row)
            QCOMPARE(chart.rows()->rows()[row].selected,
                     chart.rows()->rows()[row].reminder == walk);

        const bool feedWasCompleted = feed->completed();
        chart.completeSelection();
        chart.deleteSelection();
        QVERIFY(!feed->isDeleted() && !report->isDeleted());
        QCOMPARE(feed->completed(), feedWasCompleted);
        QVERIFY(!report->completed());
        QCOMPARE(walk->completed(), walkStaysShown);
        QVERIFY(!walk->isDeleted()); // completed, it left the pending list before the trash
        QVERIFY(fixture_.pendingIds().contains(feed->idText()));
        QVERIFY(fixture_.pendingIds().contains(report->idText()));
        QVERIFY(!fixture_.context()->hasChanges());

        // Shown again, the hidden row comes back unselected.
        selected_.setValue(pets);
        chart.setFilterByCompletedStatus(feedWasCompleted ? 0 : 1);
        chart.setSearchText("");
        QVERIFY(texts(chart.shownRows()).contains("feed the cat"));
        QVERIFY(!chart.multiSelection().contains(feed->id()));
    }

    void aFailedSaveKeepsTheSlices() {
        auto a = fixture_.add("Pets", "a");
        fixture_.save();
        selected_.setValue(pets);
        ChartView& chart = view();
        auto lock = fixture_.lockStore();
        chart.toggleCompletion(a);
        QCOMPARE(fixture_.console().size(), 1);
        QVERIFY(slices_.value().isEmpty());
        QVERIFY(fixture_.context()->hasChanges());
    }

    void chartSlicesCarryTheStatusNames() {
        selected_.setValue(pets);
        ChartView& chart = view();
        slices_.setValue({{1.0, ReminderStatus::completed}, {2.0, ReminderStatus::pending}});
        const QVariantList slices = chart.chartSlices();
        QCOMPARE(slices.size(), 2);
        QCOMPARE(slices[0].toMap()["label"].toString(), QStringLiteral("Completed"));
        QCOMPARE(slices[1].toMap()["label"].toString(), QStringLiteral("Still pending"));
        QCOMPARE(slices[1].toMap()["amount"].toDouble(), 2.0);
        QVERIFY(qAbs(chart.chartColors()[1].value<QColor>().alphaF() - 0.3) < 0.001);
    }
};

QTEST_MAIN(ChartsTest)
#include "tst_charts.moc"
