#include "ChartView.h"
#include "ScreenFixture.h"

namespace {
const ReminderCategory pets(ReminderCategory::pets);

QSet<QString> asSet(const QStringList& list) {
    return QSet<QString>(list.begin(), list.end());
}
using Action = ChartView::MenuAction;
} // namespace

class ChartsTest : public QObject {
    Q_OBJECT

    ScreenFixture fixture_;
    State<std::optional<ReminderCategory>> selected_;
    State<PieChartSlices> slices_;
    std::unique_ptr<Query<Reminder>> reminders_;
    std::unique_ptr<ChartView> view_;

    ChartView& view(UIUserInterfaceIdiom device = UIUserInterfaceIdiom::Pad) {
        view_ = std::make_unique<ChartView>(Binding(slices_), Binding(selected_), reminders_.get(),
                                            device, fixture_.services);
        return *view_;
    }
    FakeServices& services() { return fixture_.services; }

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
        QCOMPARE(chart.screenState(), ChartView::ScreenState::NoCategory);
        selected_.setValue(pets);
        QCOMPARE(chart.screenState(), ChartView::ScreenState::NoReminders);
        fixture_.add("Pets", "done", true);
        QCOMPARE(chart.screenState(), ChartView::ScreenState::Chart);
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
        QCOMPARE(chart.statusSwitchIndex(), 1);
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
        QCOMPARE(chart.statusSwitchIndex(), 0);
        // A stored value of neither segment lists nothing and selects no segment.
        QSignalSpy switched(&chart, &ChartView::changed);
        standard.setValue("filterByCompletedStatus", qint64(2));
        QVERIFY(chart.shownRows().isEmpty());
        QCOMPARE(chart.rows()->rowCount(), 0);
        QCOMPARE(chart.statusSwitchIndex(), -1);
        QVERIFY(!switched.isEmpty());
        standard.setValue("filterByCompletedStatus", qint64(-1));
        QCOMPARE(chart.statusSwitchIndex(), -1);
        chart.setFilterByCompletedStatus(1);
        QCOMPARE(chart.statusSwitchIndex(), 1);
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
        auto a = fixture_.add("Pets", "a");
        auto b = fixture_.add("Pets", "b", true);
        selected_.setValue(pets);
        ChartView& chart = view();
        QVERIFY(!chart.showsBulkDelete() && !chart.showsBulkComplete());
        chart.toggleSelected(a->idText());
        QVERIFY(chart.showsBulkDelete() && chart.showsBulkComplete());
        QVERIFY(chart.rows()->rows()[0].selected);
        chart.toggleSelected(a->idText());
        QVERIFY(!chart.showsBulkDelete());
        chart.setSelected(a->idText(), true);
        chart.setSelected(a->idText(), true); // selecting twice keeps one
        QCOMPARE(chart.multiSelection(), QSet<QUuid>{a->id()});
        chart.setSelected("not an id", true);
        QCOMPARE(chart.multiSelection().size(), 1);
        // "a" is no longer shown, so nothing selected is: nothing to offer.
        chart.setFilterByCompletedStatus(0);
        QVERIFY(!chart.showsBulkDelete() && !chart.showsBulkComplete());
        chart.toggleSelected(b->idText());
        QVERIFY(chart.showsBulkDelete());
        QVERIFY(!chart.showsBulkComplete());
        chart.setFilterByCompletedStatus(2);
        QVERIFY(!chart.showsBulkDelete() && !chart.showsBulkComplete());
        QVERIFY(!view(UIUserInterfaceIdiom::Pad).showsSeparators());
        ChartView& phone = view(UIUserInterfaceIdiom::Phone);
        QVERIFY(!phone.showsSeparators());
        phone.setFilterByCompletedStatus(1);
        QVERIFY(phone.showsSeparators());
    }

    void rowMenuAndRowOperations() {
        auto pending = fixture_.add("Pets", "a pending");
        auto done = fixture_.add("Pets", "b done", true);
        fixture_.save();
        selected_.setValue(pets);
        ChartView& chart = view();
        const MenuOffers pendingMenu = chart.rowMenu(pending->idText());
        QCOMPARE(pendingMenu.titles(),
                 (QStringList{"Copy to clipboard", "Mark as completed", "Delete reminder"}));
        QCOMPARE(pendingMenu.entries()[0].action, int(Action::CopyToClipboard));
        QCOMPARE(pendingMenu.entries()[0].icon, QStringLiteral("doc.on.clipboard"));
        QCOMPARE(pendingMenu.entries()[1].icon, QStringLiteral("checkmark.circle"));
        QCOMPARE(pendingMenu.entries()[2].icon, QStringLiteral("trash"));
        QVERIFY(!pendingMenu.entries()[1].destructive);
        QCOMPARE(chart.rowMenu(done->idText()).titles(),
                 (QStringList{"Copy to clipboard", "Delete reminder"}));
        QVERIFY(chart.rowMenu(done->idText()).entry(int(Action::DeleteReminder)).destructive);
        QCOMPARE(chart.rowMenu(done->idText().toLower()).count(), 0);

        chart.copyToClipboard(pending->idText());
        QCOMPARE(services().pasteboard, QStringLiteral("a pending"));
        chart.toggleCompletion(pending->idText());
        QVERIFY(pending->completed());
        QCOMPARE(services().removedIds(), QStringList{pending->idText()});
        QCOMPARE(slices_.value(), (PieChartSlices{{2.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
        QCOMPARE(services().takeReloads(), 1);
        // A completed row tapped with the switch on Completed becomes pending and leaves.
        chart.setFilterByCompletedStatus(0);
        QCOMPARE(chart.rows()->rowCount(), 2);
        chart.toggleCompletion(pending->idText());
        QVERIFY(!pending->completed());
        QCOMPARE(texts(chart.shownRows()), QStringList{"b done"});
        QCOMPARE(services().removedIds().size(), 1); // becoming pending removes nothing
        chart.deleteReminder(done->idText());
        QVERIFY(done->isDeleted());
        QCOMPARE(services().removedIds().last(), done->idText());
        QVERIFY(!fixture_.context()->hasChanges());
        // An id that names no reminder any more: nothing happens.
        services().clear();
        chart.deleteReminder(done->idText());
        chart.toggleCompletion(done->idText());
        QVERIFY(services().notificationCalls.isEmpty());
        QCOMPARE(services().reloads, 0);
    }

    void bulkActionsKeepTheSelection() {
        auto a = fixture_.add("Pets", "a");
        auto b = fixture_.add("Pets", "b", true);
        auto c = fixture_.add("Pets", "c");
        // Another record with a's id, in a category not shown.
        auto twin = std::make_shared<Reminder>("Work", false, a->id(), 0, "a's twin");
        fixture_.context()->insert(twin);
        fixture_.save();
        selected_.setValue(pets);
        ChartView& chart = view();
        chart.setSelected(a->idText(), true);
        chart.setSelected(c->idText(), true);
        chart.completeSelection();
        QVERIFY(a->completed() && c->completed());
        QVERIFY(!twin->completed());
        QCOMPARE(asSet(services().removedIds()), (QSet<QString>{a->idText(), c->idText()}));
        QCOMPARE(slices_.value(), (PieChartSlices{{3.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));

        services().clear();
        chart.setFilterByCompletedStatus(0);
        chart.setSelected(c->idText(), false);
        chart.setSelected(a->idText(), true);
        chart.setSelected(b->idText(), true);
        chart.deleteSelection();
        QVERIFY(a->isDeleted() && b->isDeleted() && !c->isDeleted());
        QVERIFY(!twin->isDeleted());
        QCOMPARE(asSet(services().removedIds()), (QSet<QString>{a->idText(), b->idText()}));
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
        selected_.setValue(pets);
        ChartView& chart = view();
        chart.setIsEditing(true);
        chart.toggleSelected(walk->idText());
        chart.toggleSelected(feed->idText());
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
        QVERIFY(!services().removedIds().contains(feed->idText()));
        QVERIFY(!services().removedIds().contains(report->idText()));
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
        chart.toggleCompletion(a->idText());
        QCOMPARE(fixture_.console().size(), 1);
        QCOMPARE(services().reloads, 0);
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
    }
};

QTEST_MAIN(ChartsTest)
#include "tst_charts.moc"
