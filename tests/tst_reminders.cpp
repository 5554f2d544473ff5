#include "ReminderView.h"
#include "ScreenFixture.h"
#include "UIPasteboard.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QTranslator>

namespace {

QStringList titles(const QList<MenuEntry>& menu) {
    QStringList result;
    for (const auto& entry : menu)
        result << entry.title;
    return result;
}

// What a view of a model holds when it follows only the model's signals.
class ModelMirror {
public:
    explicit ModelMirror(QAbstractItemModel& model)
        : model_(model) {
        reload();
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
                         [this](const QModelIndex&, int first, int last) {
                             rows_.remove(first, last - first + 1);
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted,
                         [this](const QModelIndex&, int first, int last) {
                             for (int i = first; i <= last; ++i)
                                 rows_.insert(i, read(i));
                         });
        QObject::connect(&model, &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& from, const QModelIndex& to) {
                             for (int i = from.row(); i <= to.row(); ++i)
                                 rows_[i] = read(i);
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] {
            ++resets;
            reload();
        });
    }
    // Every role of every row, as the model has it now.
    QList<QVariantList> current() const {
        QList<QVariantList> rows;
        for (int i = 0; i < model_.rowCount(); ++i)
            rows << read(i);
        return rows;
    }
    const QList<QVariantList>& mirrored() const { return rows_; }
    int resets = 0;

private:
    QVariantList read(int row) const {
        QVariantList values;
        for (int role : model_.roleNames().keys())
            values << model_.data(model_.index(row, 0), role);
        return values;
    }
    void reload() { rows_ = current(); }

    QAbstractItemModel& model_;
    QList<QVariantList> rows_;
};

const ReminderCategory groceries(ReminderCategory::groceries);
const ReminderCategory pets(ReminderCategory::pets);
} // namespace

class RemindersTest : public QObject {
    Q_OBJECT

    ScreenFixture fixture_;
    State<std::optional<ReminderCategory>> selected_;
    State<PieChartSlices> slices_;
    std::unique_ptr<Query<Reminder>> reminders_;
    std::unique_ptr<ScenePhaseSource> phase_;
    std::unique_ptr<ReminderView> view_;

    ReminderView& view(UIUserInterfaceIdiom device = UIUserInterfaceIdiom::phone) {
        view_ = std::make_unique<ReminderView>(Binding(slices_), Binding(selected_),
                                               reminders_.get(), phase_.get(), device);
        return *view_;
    }
    void setDecision(NotificationStore::Decision decision) {
        QString error;
        NotificationStore::open(NotificationStore::defaultPath(), &error)->setDecision(decision);
    }
    QList<UNNotificationRequest> pendingRequests() {
        UNUserNotificationCenter::current().waitForPendingOperations();
        QString error;
        QList<UNNotificationRequest> result;
        for (const auto& p :
             NotificationStore::open(NotificationStore::defaultPath(), &error)->pending())
            result << p.request;
        return result;
    }
    void clearRequests() {
        for (const auto& r : pendingRequests())
            UNUserNotificationCenter::current().removePendingNotificationRequests({r.identifier});
        UNUserNotificationCenter::current().waitForPendingOperations();
    }
    // Answers arrive through the event loop; wait until the service and the loop are done.
    void settle() {
        UNUserNotificationCenter::current().waitForPendingOperations();
        QTest::qWait(20);
        UNUserNotificationCenter::current().waitForPendingOperations();
    }

private slots:
    // The list models publish changes as removals, insertions and data changes; a view that
    // follows only those signals must end up showing exactly the new rows.
    void listModelsPublishDifferencesAViewCanFollow() {
        QList<std::shared_ptr<Reminder>> pool;
        for (int i = 0; i < 12; ++i)
            pool << std::make_shared<Reminder>("Pets", i % 3 == 0, QUuid::createUuid(), i,
                                               QStringLiteral("r%1").arg(i));
        ReminderListModel pending, completed;
        ReminderGroupsModel groups;
        QAbstractItemModelTester pendingTester(&pending);
        QAbstractItemModelTester groupsTester(&groups);
        ModelMirror pendingView(pending), groupsView(groups);
        QRandomGenerator random(7);
        for (int round = 0; round < 400; ++round) {
            auto pick = [&] {
                QList<ReminderListModel::Row> rows;
                for (const auto& r : pool)
                    if (random.bounded(3) != 0)
                        rows.append({r, random.bounded(4) != 0, false});
                // Now and then a reordering, as a move makes.
                if (rows.size() > 2 && random.bounded(4) == 0)
                    rows.move(random.bounded(int(rows.size())), random.bounded(int(rows.size())));
                return rows;
            };
            if (random.bounded(5) == 0)
                pool[random.bounded(int(pool.size()))]->setText(
                    QStringLiteral("edited %1").arg(round));
            pending.setRows(pick());
            completed.setRows(pick());
            groups.setGroups({&pending, "Pending", random.bounded(5) != 0},
                             {&completed, "Completed", random.bounded(5) != 0});
            QCOMPARE(pendingView.mirrored(), pendingView.current());
            QCOMPARE(groupsView.mirrored(), groupsView.current());
        }
        QCOMPARE(pendingView.resets, 0);
        QCOMPARE(groupsView.resets, 0);
    }

    void init() {
        view_.reset();
        fixture_.reset();
        selected_.setValue(std::nullopt);
        slices_.setValue({});
        reminders_ = std::make_unique<Query<Reminder>>(
            fixture_.context(), SortDescriptor<Reminder>::forward(&Reminder::orderIndex,
                                                                  Reminder::orderIndexAttribute));
        phase_ = std::make_unique<ScenePhaseSource>();
        setDecision(NotificationStore::Decision::granted);
        clearRequests();
    }

    void withoutSelectionNothingRuns() {
        UserDefaults shared(AppGroup::identifier());
        writeSetting(shared, SettingsKeys::completedReminders, QStringList{"X"});
        ReminderView& list = view();
        QVERIFY(!list.hasSelection());
        list.onAppear();
        phase_->setPhase(ScenePhase::inactive);
        phase_->setPhase(ScenePhase::active);
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList{"X"});
        list.setTextField("typed");
        list.addReminder();
        QVERIFY(fixture_.context()->fetch<Reminder>().isEmpty());
    }

    void groupsFollowCategoryCompletionAndOrder() {
        fixture_.add("Groceries", "later", false, 5);
        fixture_.add("Groceries", "first", false, 1);
        fixture_.add("Groceries", "done", true, 0);
        fixture_.add("groceries", "wrong case", false, 0);
        fixture_.add("Pets", "other category", false, 0);
        selected_.setValue(groceries);
        ReminderView& list = view();
        QCOMPARE(texts(list.pendingList()), (QStringList{"first", "later"}));
        QCOMPARE(texts(list.completedList()), QStringList{"done"});
        QVERIFY(list.showsPendingGroup() && list.showsCompletedGroup() && list.showsEditButton());

        selected_.setValue(ReminderCategory(ReminderCategory::games));
        QVERIFY(!list.showsPendingGroup() && !list.showsCompletedGroup());
        QVERIFY(!list.showsEditButton());
        selected_.setValue(groceries);
        // Completing the last pending one removes the group.
        list.perform("toggleCompletion", false, 0);
        list.perform("toggleCompletion", false, 0);
        QVERIFY(!list.showsPendingGroup());
        QCOMPARE(texts(list.completedList()), (QStringList{"done", "first", "later"}));
    }

    void searchHidesRowsButKeepsOffsets() {
        fixture_.add("Groceries", "buy milk", false, 0);
        fixture_.add("Groceries", "Bread", false, 1);
        fixture_.add("Groceries", "milk again", false, 2);
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.setSearchText("MILK");
        const auto& rows = list.pendingRows()->rows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].shown, true);
        QCOMPARE(rows[1].shown, false);
        QCOMPARE(rows[2].shown, true);
        list.setSearchText(" buy");
        QCOMPARE(list.pendingRows()->rows()[0].shown, false); // a leading blank is searched for
        list.setSearchText("nothing like this");
        QVERIFY(list.showsPendingGroup()); // a group whose rows are all hidden still shows
        // Swiping the second visible row deletes that row, found by its unfiltered offset.
        list.setSearchText("milk");
        list.deleteRemindersAtOffsets(ReminderView::Section::pending, {2});
        QCOMPARE(texts(list.pendingList()), (QStringList{"buy milk", "Bread"}));
        QVERIFY(!fixture_.context()->hasChanges());
    }

    void addingTrimsAndNumbers() {
        for (int i = 0; i < 5; ++i)
            fixture_.add("Pets", QString::number(i), false, i);
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        fixture_.takeReloads();
        list.setTextField("  \n Buy milk \t\n");
        list.addReminder();
        QCOMPARE(list.textField(), QString());
        QCOMPARE(texts(list.pendingList()), QStringList{"Buy milk"});
        const auto added = list.pendingList().first();
        QCOMPARE(added->orderIndex(), 4);
        QCOMPARE(added->category(), QStringLiteral("Groceries"));
        QVERIFY(!added->completed());
        QVERIFY(!fixture_.context()->hasChanges());
        QCOMPARE(slices_.value(), (PieChartSlices{{0.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.takeReloads(), 1);

        // Blanks only: the emptiness test comes before trimming.
        list.setTextField("   ");
        list.addReminder();
        QCOMPARE(texts(list.pendingList()), (QStringList{"Buy milk", ""}));
        // Submit, then the focus leaves: one reminder.
        list.setIsTextFieldFocused(true);
        list.setTextField("once");
        list.addReminder();
        list.setIsTextFieldFocused(false);
        QCOMPARE(texts(list.pendingList()).count("once"), 1);
        // Losing focus with text adds it.
        list.setIsTextFieldFocused(true);
        list.setTextField("by focus");
        list.setIsTextFieldFocused(false);
        QVERIFY(texts(list.pendingList()).contains("by focus"));
    }

    void theFirstReminderOfAnEmptyStoreIsNumberedZero() {
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.setTextField("first");
        list.addReminder();
        QCOMPARE(list.pendingList().first()->orderIndex(), 0);
    }

    void pastingJoinsWithOneBlank() {
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.pasteIntoTextField({});
        QCOMPARE(list.textField(), QString());
        list.pasteIntoTextField({"milk", "ignored"});
        QCOMPARE(list.textField(), QStringLiteral("milk"));
        list.pasteIntoTextField({" and eggs "});
        QCOMPARE(list.textField(), QStringLiteral("milk  and eggs "));
        UIPasteboard::setString("bread");
        list.pasteFromPasteboard();
        QCOMPARE(list.textField(), QStringLiteral("milk  and eggs  bread"));
        QVERIFY(fixture_.context()->fetch<Reminder>().isEmpty());
    }

    void completingRemovesNotificationsAndUncompletingKeepsNone() {
        auto a = fixture_.add("Groceries", "a");
        fixture_.save();
        fixture_.scheduleAndDeliver(*a);
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.toggleCompletion(a);
        QVERIFY(a->completed());
        QVERIFY(!fixture_.pendingIds().contains(a->idText()));
        QVERIFY(!fixture_.deliveredIds().contains(a->idText()));
        QVERIFY(!fixture_.context()->hasChanges());
        list.toggleCompletion(a);
        QVERIFY(!a->completed());
        QVERIFY(!fixture_.pendingIds().contains(a->idText()));
        QCOMPARE(slices_.value(), (PieChartSlices{{0.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));
    }

    void markAllCompletesTheGroup() {
        for (int i = 0; i < 3; ++i)
            fixture_.add("Groceries", "p" + QString::number(i));
        fixture_.add("Groceries", "c1", true);
        fixture_.add("Groceries", "c2", true);
        auto other = fixture_.add("Pets", "other");
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.perform("markAllAsCompleted", false, -1);
        QCOMPARE(list.completedList().size(), 5);
        QVERIFY(!other->completed());
        QCOMPARE(slices_.value(), (PieChartSlices{{5.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
    }

    void changingCategoryIsLeftToAutosave() {
        auto moved = fixture_.add("Groceries", "moves");
        fixture_.save();
        fixture_.scheduleAndDeliver(*moved);
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.updatePieChartData();
        const PieChartSlices before = slices_.value();
        fixture_.takeReloads();
        list.perform("changeCategory:Pets", false, 0);
        QCOMPARE(moved->category(), QStringLiteral("Pets"));
        QVERIFY(list.pendingList().isEmpty());
        QVERIFY(fixture_.context()->hasChanges());
        QCOMPARE(slices_.value(), before);
        QCOMPARE(fixture_.takeReloads(), 0);
        QVERIFY(fixture_.pendingIds().contains(moved->idText()));
    }

    void copyingPutsTheTextOnThePasteboard() {
        fixture_.add("Groceries", "Exact <text> & more ");
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.perform("copyToClipboard", false, 0);
        QCOMPARE(UIPasteboard::string(), QStringLiteral("Exact <text> & more "));
    }

    void deletingTakesEveryRecordOfTheIdAndItsNotifications() {
        const QUuid shared = QUuid::createUuid();
        auto a = std::make_shared<Reminder>("Groceries", false, shared, 0, "twin a");
        auto b = std::make_shared<Reminder>("Pets", true, shared, 1, "twin b");
        fixture_.context()->insert(a);
        fixture_.context()->insert(b);
        auto kept = fixture_.add("Groceries", "kept", false, 2);
        fixture_.save();
        fixture_.scheduleAndDeliver(*a);
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.perform("deleteReminder", false, 0);
        QCOMPARE(texts(reminders_->results()), QStringList{"kept"});
        QVERIFY(!fixture_.pendingIds().contains(a->idText()));
        QVERIFY(!fixture_.deliveredIds().contains(a->idText()));
        QVERIFY(!fixture_.context()->hasChanges());
    }

    void deletingAGroupLeavesTheOther() {
        fixture_.add("Groceries", "p1");
        fixture_.add("Groceries", "p2");
        auto done = fixture_.add("Groceries", "done", true);
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.perform("deleteAllReminders", false, -1);
        QCOMPARE(texts(reminders_->results()), QStringList{"done"});
        list.perform("deleteAllReminders", true, -1);
        QVERIFY(reminders_->results().isEmpty());
        QVERIFY(done->isDeleted());
        QCOMPARE(slices_.value(), (PieChartSlices{{0.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
    }

    void movingRenumbersOnlyTheGroup() {
        fixture_.add("Groceries", "a", false, 3);
        fixture_.add("Groceries", "b", false, 3);
        fixture_.add("Groceries", "c", false, 7);
        auto done = fixture_.add("Groceries", "done", true, 9);
        auto other = fixture_.add("Pets", "other", false, 1);
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        fixture_.takeReloads();
        list.moveReminders(ReminderView::Section::pending, {2}, 0);
        QCOMPARE(texts(list.pendingList()), (QStringList{"c", "a", "b"}));
        QCOMPARE(list.pendingList()[0]->orderIndex(), 0);
        QCOMPARE(list.pendingList()[1]->orderIndex(), 1);
        QCOMPARE(list.pendingList()[2]->orderIndex(), 2);
        QCOMPARE(done->orderIndex(), 9);
        QCOMPARE(other->orderIndex(), 1);
        QVERIFY(!fixture_.context()->hasChanges());
        QCOMPARE(fixture_.takeReloads(), 0);
        // Destination counts positions before the move: first to after the second.
        list.move(false, 0, 2);
        QCOMPARE(texts(list.pendingList()), (QStringList{"a", "c", "b"}));
        list.moveReminders(ReminderView::Section::pending, {0, 1}, 3);
        QCOMPARE(texts(list.pendingList()), (QStringList{"b", "a", "c"}));
    }

    void menusOfferTheTables() {
        fixture_.add("Groceries", "p");
        fixture_.add("Groceries", "c", true);
        selected_.setValue(groceries);
        ReminderView& list = view();
        const auto pending = list.rowMenu(ReminderView::Section::pending);
        QCOMPARE(titles(pending),
                 (QStringList{"Create reminder", "Change category", "Copy to clipboard",
                              "Mark as completed", "Delete reminder"}));
        QCOMPARE(pending[0].icon, QStringLiteral("bell.badge"));
        QCOMPARE(pending[1].icon, QStringLiteral("tag"));
        QVERIFY(pending[4].destructive);
        QCOMPARE(titles(list.rowMenu(ReminderView::Section::completed)),
                 (QStringList{"Create reminder", "Change category", "Copy to clipboard",
                              "Delete reminder"}));
        const auto& intervals = pending[0].children;
        QCOMPARE(titles(intervals), (QStringList{"One time only", "At intervals"}));
        QCOMPARE(intervals[0].children.size(), 13);
        QCOMPARE(intervals[0].children.first().title, QStringLiteral("5 minutes"));
        QCOMPARE(intervals[0].children.last().title, QStringLiteral("2 days"));
        QCOMPARE(titles(intervals[1].children),
                 (QStringList{"6 hours", "8 hours", "12 hours", "1 day", "7 days", "30 days"}));
        const auto& categories = pending[1].children;
        QCOMPARE(categories.size(), 30);
        QCOMPARE(categories.first().title, QStringLiteral("American football"));
        QCOMPARE(categories.first().icon, QStringLiteral("football.fill"));
        QCOMPARE(titles(list.headerMenu(ReminderView::Section::pending)),
                 (QStringList{"Collapse this section", "Mark all as completed",
                              "Delete all reminders"}));
        list.perform("toggleSection", true, -1);
        QCOMPARE(titles(list.headerMenu(ReminderView::Section::completed)),
                 (QStringList{"Expand this section", "Delete all reminders"}));
        UserDefaults standard; // the group stays collapsed across launches
        QCOMPARE(readSetting(standard, SettingsKeys::isCompletedExpanded), false);
    }

    void choosingAnIntervalSchedulesOneRequest() {
        auto reminder = fixture_.add("Groceries", "Buy <b>milk</b> & eggs");
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.perform("schedule:300:0", false, 0);
        reminder->setText("edited before the answer"); // the answer reads the record then
        settle();
        auto requests = pendingRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].identifier, reminder->idText());
        QCOMPARE(requests[0].content.title, QStringLiteral("Groceries"));
        QCOMPARE(requests[0].content.body, QStringLiteral("edited before the answer"));
        QCOMPARE(requests[0].content.sound, UNNotificationSound::defaultSound);
        QCOMPARE(requests[0].content.interruptionLevel, UNNotificationInterruptionLevel::active);
        QCOMPARE(requests[0].trigger.timeInterval, 300.0);
        QCOMPARE(requests[0].trigger.repeats, false);

        list.perform("schedule:3600:0", false, 0);
        list.perform("schedule:7200:0", false, 0);
        settle();
        requests = pendingRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].trigger.timeInterval, 7200.0);
        list.perform("schedule:604800:1", false, 0);
        settle();
        requests = pendingRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].trigger.timeInterval, 604800.0);
        QCOMPARE(requests[0].trigger.repeats, true);
        QVERIFY(fixture_.console().isEmpty());
    }

    void refusedPermissionSchedulesNothing() {
        fixture_.add("Groceries", "x");
        selected_.setValue(groceries);
        ReminderView& list = view();
        setDecision(NotificationStore::Decision::denied);
        list.perform("schedule:300:0", false, 0);
        settle();
        QVERIFY(pendingRequests().isEmpty());
        QVERIFY(fixture_.console().isEmpty()); // refused without an error: nothing printed
        // Undecided with no notification server: refused with an error, printed on one line.
        setDecision(NotificationStore::Decision::notDetermined);
        list.perform("schedule:300:0", false, 0);
        QTRY_COMPARE(fixture_.console().size(), 1);
        QVERIFY(fixture_.console()[0].contains("Notifications are unavailable"));
        QVERIFY(pendingRequests().isEmpty());
    }

    void toolbarAndInformationLinks() {
        fixture_.add("Groceries", "c", true);
        selected_.setValue(groceries);
        QVERIFY(view(UIUserInterfaceIdiom::phone).showsChartButton());
        QVERIFY(view_->showsEditButton());
        QVERIFY(!view_->pasteShowsTitle());
        QVERIFY(!view(UIUserInterfaceIdiom::pad).showsChartButton());
        QVERIFY(view_->pasteShowsTitle());
        QCOMPARE(titles(view_->informationMenu()),
                 (QStringList{"Contact details", "Privacy policy"}));
        QCOMPARE(view_->informationMenu()[1].icon, QStringLiteral("hand.raised"));
        view_->setShowPieChartSheet(true);
        QVERIFY(view_->showPieChartSheet());

        Translations translations;
        translations.table = {{ReminderView::contactPageText(), "Kontakt: bitte per Post"},
                              {ReminderView::privacyPolicyPageText(), "https://example.org/p"}};
        QCoreApplication::installTranslator(&translations);
        ReminderView& translated = view(UIUserInterfaceIdiom::pad);
        QVERIFY(!translated.contact);
        QCOMPARE(translated.privacyPolicy, std::optional(QUrl("https://example.org/p")));
        QCOMPARE(titles(translated.informationMenu()), QStringList{"Privacy policy"});
        QCoreApplication::removeTranslator(&translations);
    }

    void aFailedSaveStopsBeforeTheRefresh() {
        auto a = fixture_.add("Groceries", "a");
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        fixture_.takeReloads();
        auto lock = fixture_.lockStore();
        list.toggleCompletion(a);
        QCOMPARE(fixture_.console().size(), 1);
        QVERIFY(slices_.value().isEmpty());
        QCOMPARE(fixture_.takeReloads(), 0);
        QVERIFY(a->completed() && fixture_.context()->hasChanges());
    }

    void selectionChangesAndTheHandOverRefreshTheSlices() {
        auto fromWidget = fixture_.add("Pets", "from widget");
        fixture_.add("Groceries", "g", true);
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        fixture_.takeReloads();
        selected_.setValue(pets);
        QCOMPARE(slices_.value(), (PieChartSlices{{0.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.takeReloads(), 1);

        UserDefaults shared(AppGroup::identifier());
        writeSetting(shared, SettingsKeys::completedReminders, QStringList{fromWidget->idText()});
        phase_->setPhase(ScenePhase::inactive);
        QVERIFY(!fromWidget->completed());
        {
            // A pass whose save fails changes neither the list nor the slices.
            auto lock = fixture_.lockStore();
            phase_->setPhase(ScenePhase::active);
            QCOMPARE(fixture_.console().size(), 1);
            QCOMPARE(readSetting(shared, SettingsKeys::completedReminders),
                     QStringList{fromWidget->idText()});
            QCOMPARE(slices_.value(), (PieChartSlices{{0.0, ReminderStatus::completed},
                                                      {1.0, ReminderStatus::pending}}));
            QCOMPARE(fixture_.takeReloads(), 0);
        }
        QVERIFY(!fixture_.storedCompleted(*fromWidget));
        phase_->setPhase(ScenePhase::inactive);
        phase_->setPhase(ScenePhase::active);
        QVERIFY(fromWidget->completed());
        QVERIFY(fixture_.storedCompleted(*fromWidget));
        QVERIFY(!fixture_.context()->hasChanges());
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
        QCOMPARE(slices_.value(), (PieChartSlices{{1.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
        QCOMPARE(fixture_.takeReloads(), 1);
        writeSetting(shared, SettingsKeys::completedReminders, QStringList{"unknown"});
        list.onAppear();
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
    }
};

QTEST_MAIN(RemindersTest)
#include "tst_reminders.moc"
