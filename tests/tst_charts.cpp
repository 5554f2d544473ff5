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
        chart.setFilterByCompletedStatus(0);
        QVERIFY(chart.showsBulkDelete());
        QVERIFY(!chart.showsBulkComplete());
        chart.setFilterByCompletedStatus(2);
        QVERIFY(!chart.showsBulkComplete());
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
        fixture_.save();
        fixture_.scheduleAndDeliver(*a);
        fixture_.scheduleAndDeliver(*b);
        selected_.setValue(pets);
        ChartView& chart = view();
        chart.setMultiSelection({a->id(), b->id()});
        chart.completeSelection();
        QVERIFY(a->completed() && b->completed() && !c->completed());
        QVERIFY(!fixture_.pendingIds().contains(a->idText()));
        QVERIFY(fixture_.pendingIds().contains(b->idText())); // was completed already: untouched
        QCOMPARE(slices_.value(), (PieChartSlices{{2.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));

        chart.deleteSelection();
        QVERIFY(a->isDeleted() && b->isDeleted() && !c->isDeleted());
        QCOMPARE(chart.multiSelection(), (QSet<QUuid>{a->id(), b->id()}));
        QVERIFY(!fixture_.pendingIds().contains(b->idText()));
        // Again: nothing matches any more, yet it saves and refreshes.
        slices_.setValue({});
        chart.deleteSelection();
        QCOMPARE(slices_.value(), (PieChartSlices{{0.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));
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
