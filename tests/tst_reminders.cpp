#include "ModelMirror.h"
#include "ReminderView.h"
#include "ScreenFixture.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QTranslator>

namespace {

// The rows of a list model under one role, as QML's Instantiator reads them.
QVariantList column(const QAbstractItemModel& model, const QByteArray& role) {
    const int key = model.roleNames().key(role, -1);
    QVariantList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values << model.data(model.index(row, 0), key);
    return values;
}

using Action = ReminderView::MenuAction;
using Section = ReminderView::Section;

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

    ReminderView& view(UIUserInterfaceIdiom device = UIUserInterfaceIdiom::Phone) {
        view_ =
            std::make_unique<ReminderView>(Binding(slices_), Binding(selected_), reminders_.get(),
                                           phase_.get(), device, fixture_.services);
        return *view_;
    }
    FakeServices& services() { return fixture_.services; }
    QString idOf(qsizetype pendingOffset) const {
        return view_->pendingList().at(pendingOffset)->idText();
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

    // A reminder that changes group is one row out and one row in, and one that moves by a
    // place is moved: the rows around it are kept (a view builds nothing new for them),
    // whatever the lengths.
    void aMovedRowIsTheOnlyRowRebuilt() {
        QList<std::shared_ptr<Reminder>> pool;
        for (int i = 0; i < 400; ++i)
            pool << std::make_shared<Reminder>("Pets", false, QUuid::createUuid(), i,
                                               QStringLiteral("r%1").arg(i));
        auto rowsOf = [](const QList<std::shared_ptr<Reminder>>& reminders) {
            QList<ReminderListModel::Row> rows;
            for (const auto& r : reminders)
                rows.append(ReminderListModel::Row(r));
            return rows;
        };
        ReminderListModel pending, completed;
        ReminderGroupsModel groups;
        QList<std::shared_ptr<Reminder>> nowPending = pool.mid(0, 200),
                                         nowCompleted = pool.mid(200);
        // The screen's refresh: both groups' rows, then the groups.
        auto publish = [&] {
            pending.setRows(rowsOf(nowPending));
            completed.setRows(rowsOf(nowCompleted));
            groups.setGroups({&pending, "Pending", true}, {&completed, "Completed", true});
        };
        publish();
        ModelMirror pendingView(pending), groupsView(groups);

        // Pending row 10 completed: it lands at completed place 150.
        nowCompleted.insert(150, nowPending.takeAt(10));
        publish();
        QCOMPARE(groupsView.mirrored(), groupsView.current()); // offsets below it were redrawn
        QCOMPARE(std::pair(groupsView.removed, groupsView.inserted), std::pair(1, 1));
        QCOMPARE(std::pair(pendingView.removed, pendingView.inserted), std::pair(1, 0));

        // Two neighbours swap places, as a move by one makes.
        nowPending.swapItemsAt(50, 51);
        publish();
        QCOMPARE(pendingView.mirrored(), pendingView.current());
        QCOMPARE(groupsView.mirrored(), groupsView.current());
        QCOMPARE(std::pair(pendingView.removed, pendingView.inserted), std::pair(1, 0));
        QCOMPARE(std::pair(groupsView.removed, groupsView.inserted), std::pair(1, 1));
        QCOMPARE(pendingView.moved, 1);
        QCOMPARE(groupsView.moved, 1);

        // A row dropped far from where it was moves too, up and down.
        nowPending.move(120, 3);
        publish();
        nowPending.move(7, 180);
        publish();
        QCOMPARE(pendingView.mirrored(), pendingView.current());
        QCOMPARE(groupsView.mirrored(), groupsView.current());
        QCOMPARE(std::pair(pendingView.removed, pendingView.inserted), std::pair(1, 0));
        QCOMPARE(groupsView.moved, 3);
    }

    // Another category, or a search that hides most rows, replaces the rows in place: every
    // place shows the new reminder (even one drawn with the same text), and only the
    // difference in length leaves or arrives, so a view builds no item for the places it had.
    void mostlyOtherRowsAreRedrawnInPlace() {
        auto reminders = [](int count, const QString& text) {
            QList<ReminderListModel::Row> rows;
            for (int i = 0; i < count; ++i)
                rows.append(ReminderListModel::Row(std::make_shared<Reminder>(
                    "Pets", false, QUuid::createUuid(), i, text.arg(i))));
            return rows;
        };
        ReminderListModel pending, completed;
        ReminderGroupsModel groups;
        QAbstractItemModelTester groupsTester(&groups);
        auto show = [&](QList<ReminderListModel::Row> nowPending,
                        QList<ReminderListModel::Row> nowCompleted) {
            pending.setRows(std::move(nowPending));
            completed.setRows(std::move(nowCompleted));
            groups.setGroups({&pending, "Pending", true}, {&completed, "Completed", true});
        };
        show(reminders(60, QStringLiteral("first %1")), reminders(10, QStringLiteral("done %1")));
        ModelMirror pendingView(pending), groupsView(groups);
        QSignalSpy replaced(&groups, &ReminderGroupsModel::rowsReplaced);

        // Same texts, other reminders: the ids still change.
        show(reminders(40, QStringLiteral("first %1")), reminders(25, QStringLiteral("done %1")));
        QCOMPARE(pendingView.mirrored(), pendingView.current());
        QCOMPARE(groupsView.mirrored(), groupsView.current());
        QCOMPARE(std::pair(pendingView.removed, pendingView.inserted), std::pair(20, 0));
        // 72 entries before, 67 after.
        QCOMPARE(std::pair(groupsView.removed, groupsView.inserted), std::pair(5, 0));
        QCOMPARE(replaced.size(), 1); // a view shows them from the top

        // One reminder more is no replacement: the view keeps its place.
        auto more = pending.rows();
        more.append(reminders(1, QStringLiteral("added %1")));
        show(more, completed.rows());
        QCOMPARE(groupsView.mirrored(), groupsView.current());
        QCOMPARE(replaced.size(), 1);
        QCOMPARE(std::pair(groupsView.removed, groupsView.inserted), std::pair(5, 1));

        // Fewer rows, and the completed group gone: its header leaves with the rest.
        show(reminders(30, QStringLiteral("other %1")), {});
        QCOMPARE(groupsView.mirrored(), groupsView.current());
        QCOMPARE(groupsView.current().size(), 31);
        QCOMPARE(std::pair(groupsView.removed, groupsView.inserted), std::pair(5 + 37, 1));
        QCOMPARE(replaced.size(), 2);
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
        list.toggleCompletion(idOf(0));
        list.toggleCompletion(idOf(0));
        QTRY_VERIFY(!list.showsPendingGroup());
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
        const auto swiped = list.pendingList()[2];
        list.deleteBySwipe(swiped->idText());
        QVERIFY(swiped->isDeleted());
        QCOMPARE(texts(list.pendingList()), (QStringList{"buy milk", "Bread"}));
        QCOMPARE(services().removedIds(), QStringList{swiped->idText()});
        QVERIFY(!fixture_.context()->hasChanges());
        // Offsets count in the unfiltered group too.
        list.deleteRemindersAtOffsets(Section::Pending, {1});
        QCOMPARE(texts(list.pendingList()), QStringList{"buy milk"});
    }

    void addingTrimsAndNumbers() {
        for (int i = 0; i < 5; ++i)
            fixture_.add("Pets", QString::number(i), false, i);
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        services().takeReloads();
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
        QCOMPARE(services().takeReloads(), 1);

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
        services().pasteboard = "bread";
        list.pasteFromPasteboard();
        QCOMPARE(list.textField(), QStringLiteral("milk  and eggs  bread"));
        services().pasteboard.clear(); // an empty pasteboard pastes nothing
        list.pasteFromPasteboard();
        QCOMPARE(list.textField(), QStringLiteral("milk  and eggs  bread"));
        QVERIFY(fixture_.context()->fetch<Reminder>().isEmpty());
    }

    void completingRemovesNotificationsAndUncompletingKeepsNone() {
        auto a = fixture_.add("Groceries", "a");
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.toggleCompletion(a->idText());
        QVERIFY(a->completed());
        QCOMPARE(services().removedIds(), QStringList{a->idText()});
        QVERIFY(!fixture_.context()->hasChanges());
        list.toggleCompletion(a->idText());
        QVERIFY(!a->completed());
        QCOMPARE(services().removedIds(), QStringList{a->idText()}); // no more calls
        QVERIFY(services().added.isEmpty());
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
        const QStringList pendingIds{idOf(0), idOf(1), idOf(2)};
        list.markAllAsCompleted();
        QCOMPARE(list.completedList().size(), 5);
        QCOMPARE(services().removedIds(), pendingIds);
        QVERIFY(!other->completed());
        QCOMPARE(slices_.value(), (PieChartSlices{{5.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
    }

    void changingCategoryIsLeftToAutosave() {
        auto moved = fixture_.add("Groceries", "moves");
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.updatePieChartData();
        const PieChartSlices before = slices_.value();
        services().takeReloads();
        list.changeCategory(moved->idText(), "pets"); // no category: nothing changes
        QCOMPARE(moved->category(), QStringLiteral("Groceries"));
        QVERIFY(!fixture_.context()->hasChanges());
        list.changeCategory(moved->idText(), "Pets");
        QCOMPARE(moved->category(), QStringLiteral("Pets"));
        QVERIFY(list.pendingList().isEmpty());
        QVERIFY(fixture_.context()->hasChanges());
        QCOMPARE(slices_.value(), before);
        QCOMPARE(services().takeReloads(), 0);
        QVERIFY(services().notificationCalls.isEmpty()); // its notifications stay
    }

    void copyingPutsTheTextOnThePasteboard() {
        auto reminder = fixture_.add("Groceries", "Exact <text> & more ");
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.copyToClipboard(reminder->idText());
        QCOMPARE(services().pasteboard, QStringLiteral("Exact <text> & more "));
        QVERIFY(!fixture_.context()->hasChanges());
    }

    void deletingTakesEveryRecordOfTheIdAndItsNotifications() {
        const QUuid shared = QUuid::createUuid();
        auto a = std::make_shared<Reminder>("Groceries", false, shared, 0, "twin a");
        auto b = std::make_shared<Reminder>("Pets", true, shared, 1, "twin b");
        fixture_.context()->insert(a);
        fixture_.context()->insert(b);
        auto kept = fixture_.add("Groceries", "kept", false, 2);
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.deleteReminder(a->idText());
        QCOMPARE(texts(reminders_->results()), QStringList{"kept"});
        QCOMPARE(services().removedIds(), (QStringList{a->idText(), b->idText()}));
        QVERIFY(!fixture_.context()->hasChanges());
    }

    void deletingAGroupLeavesTheOther() {
        fixture_.add("Groceries", "p1");
        fixture_.add("Groceries", "p2");
        auto done = fixture_.add("Groceries", "done", true);
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.deleteAllReminders(Section::Pending);
        QCOMPARE(texts(reminders_->results()), QStringList{"done"});
        QCOMPARE(services().removedIds().size(), 2);
        list.deleteAllReminders(Section::Completed);
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
        services().takeReloads();
        list.moveReminders(Section::Pending, {2}, 0);
        QCOMPARE(texts(list.pendingList()), (QStringList{"c", "a", "b"}));
        QCOMPARE(list.pendingList()[0]->orderIndex(), 0);
        QCOMPARE(list.pendingList()[1]->orderIndex(), 1);
        QCOMPARE(list.pendingList()[2]->orderIndex(), 2);
        QCOMPARE(done->orderIndex(), 9);
        QCOMPARE(other->orderIndex(), 1);
        QVERIFY(!fixture_.context()->hasChanges());
        QCOMPARE(services().takeReloads(), 0);
        // Destination counts positions before the move: first to after the second.
        list.moveReminder(idOf(0), 2);
        QCOMPARE(texts(list.pendingList()), (QStringList{"a", "c", "b"}));
        list.moveReminders(Section::Pending, {0, 1}, 3);
        QCOMPARE(texts(list.pendingList()), (QStringList{"b", "a", "c"}));
        // By id, within the reminder's own group: the completed one moves among completed.
        list.moveReminder(done->idText(), 0);
        QCOMPARE(done->orderIndex(), 0);
        QCOMPARE(texts(list.pendingList()), (QStringList{"b", "a", "c"}));
        QCOMPARE(other->orderIndex(), 1);
    }

    // The keyboard's one-place moves and a drag's drop on an entry of the drawn groups: both
    // stay within the reminder's group and save like any move.
    void keyMovesAndDropsStayInTheGroup() {
        fixture_.add("Groceries", "a", false, 0);
        fixture_.add("Groceries", "b", false, 1);
        fixture_.add("Groceries", "c", false, 2);
        auto done = fixture_.add("Groceries", "done", true, 3);
        auto doneToo = fixture_.add("Groceries", "done too", true, 4);
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.moveReminderBy(idOf(0), 1);
        QCOMPARE(texts(list.pendingList()), (QStringList{"b", "a", "c"}));
        list.moveReminderBy(idOf(2), -1);
        QCOMPARE(texts(list.pendingList()), (QStringList{"b", "c", "a"}));
        QVERIFY(!fixture_.context()->hasChanges());
        // Past either end nothing moves and nothing is renumbered.
        list.moveReminderBy(idOf(0), -1);
        list.moveReminderBy(idOf(2), 1);
        QCOMPARE(texts(list.pendingList()), (QStringList{"b", "c", "a"}));
        QCOMPARE(done->orderIndex(), 3);

        // Entries: Pending header, b, c, a, Completed header, done, done too.
        const auto& entries = list.groups()->entries();
        QCOMPARE(entries.size(), 7);
        list.dropReminder(idOf(2), 1); // a onto b: a first
        QCOMPARE(texts(list.pendingList()), (QStringList{"a", "b", "c"}));
        list.dropReminder(idOf(0), 3); // a onto c, below it: a last
        QCOMPARE(texts(list.pendingList()), (QStringList{"b", "c", "a"}));
        list.dropReminder(idOf(2), 0); // a onto its header: the top
        QCOMPARE(texts(list.pendingList()), (QStringList{"a", "b", "c"}));
        // Onto the other group, its header or rows: nothing changes.
        list.dropReminder(idOf(0), 4);
        list.dropReminder(idOf(0), 6);
        list.dropReminder(doneToo->idText(), 1);
        list.dropReminder(idOf(0), 7);
        list.dropReminder(idOf(0), -1);
        QCOMPARE(texts(list.pendingList()), (QStringList{"a", "b", "c"}));
        QCOMPARE(texts(list.completedList()), (QStringList{"done", "done too"}));
        list.dropReminder(doneToo->idText(), 5);
        QCOMPARE(texts(list.completedList()), (QStringList{"done too", "done"}));
        QVERIFY(!fixture_.context()->hasChanges());
    }

    // The rows the search hides are not drawn at all; the arrows step over the rest, and
    // every drawn entry keeps its offset in the unfiltered group.
    void searchLeavesHiddenRowsOutAndRowsHaveNames() {
        fixture_.add("Groceries", "milk", false, 0);
        fixture_.add("Groceries", "bread", false, 1);
        fixture_.add("Groceries", "more milk", false, 2);
        fixture_.add("Groceries", "done", true, 3);
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        ReminderGroupsModel* groups = list.groups();
        const QString doneId = list.completedList().first()->idText();
        QCOMPARE(groups->rowCount(), 6);
        QCOMPARE(groups->indexOf(doneId), 5);
        list.setSearchText("milk");
        // Pending header, milk, more milk, Completed header.
        QCOMPARE(groups->rowCount(), 4);
        const auto& entries = groups->entries();
        QCOMPARE(entries[2].row.text, QStringLiteral("more milk"));
        QCOMPARE(entries[2].offset, 2);
        QVERIFY(entries[3].header && entries[3].completed);
        QCOMPARE(groups->nextShown(0, 1), 1);
        QCOMPARE(groups->nextShown(1, 1), 2);
        QCOMPARE(groups->nextShown(3, 1), 3);
        QCOMPARE(groups->nextShown(3, -1), 2);
        QCOMPARE(groups->nextShown(0, -1), 0);
        // A row is found by its reminder's id where it is drawn; headers are not rows.
        QCOMPARE(groups->indexOf(doneId), -1);
        QCOMPARE(groups->indexOf(list.pendingList().at(2)->idText()), 2);
        QCOMPARE(groups->indexOf(QString()), -1);
        // Dropping onto a drawn row lands by that row's unfiltered offset.
        list.dropReminder(list.pendingList().at(0)->idText(), 2);
        QCOMPARE(texts(list.pendingList()), (QStringList{"bread", "more milk", "milk"}));
        list.setSearchText(QString());
        QCOMPARE(groups->indexOf(doneId), 5);
        list.toggleSection(ReminderView::Section::Completed);
        QTRY_COMPARE(groups->indexOf(doneId), -1);
        list.toggleSection(ReminderView::Section::Completed);
        auto name = [&](int row) {
            return groups->data(groups->index(row), ReminderGroupsModel::AccessibleNameRole)
                .toString();
        };
        QCOMPARE(name(0), QStringLiteral("Pending reminders"));
        QCOMPARE(name(1), QStringLiteral("bread"));
        QCOMPARE(name(5), QStringLiteral("done, Completed"));
    }

    void menusOfferTheTables() {
        auto pending = fixture_.add("Groceries", "p");
        auto completed = fixture_.add("Groceries", "c", true);
        selected_.setValue(groceries);
        ReminderView& list = view();
        const MenuOffers pendingMenu = list.rowMenu(pending->idText());
        QCOMPARE(pendingMenu.titles(),
                 (QStringList{"Create reminder", "Change category", "Copy to clipboard",
                              "Mark as completed", "Delete reminder"}));
        QList<int> actions;
        QStringList icons;
        QList<bool> destructive;
        for (const MenuOffer& entry : pendingMenu.entries()) {
            actions << entry.action;
            icons << entry.icon;
            destructive << entry.destructive;
        }
        QCOMPARE(actions, (QList<int>{int(Action::CreateReminder), int(Action::ChangeCategory),
                                      int(Action::CopyToClipboard), int(Action::MarkAsCompleted),
                                      int(Action::DeleteReminder)}));
        QCOMPARE(icons, (QStringList{"bell.badge", "tag", "doc.on.clipboard", "checkmark.circle",
                                     "trash"}));
        QCOMPARE(destructive, (QList<bool>{false, false, false, false, true}));
        QCOMPARE(list.rowMenu(completed->idText()).titles(),
                 (QStringList{"Create reminder", "Change category", "Copy to clipboard",
                              "Delete reminder"}));
        QVERIFY(!list.rowMenu(completed->idText()).offers(int(Action::MarkAsCompleted)));
        QCOMPARE(list.rowMenu("not an id").count(), 0);

        // The submenus' tables.
        QCOMPARE(list.oneTimeIntervals()->title(), QStringLiteral("One time only"));
        QVERIFY(!list.oneTimeIntervals()->repeats());
        QCOMPARE(column(*list.oneTimeIntervals(), "title"),
                 (QVariantList{"5 minutes", "10 minutes", "15 minutes", "20 minutes", "30 minutes",
                               "45 minutes", "1 hour", "2 hours", "6 hours", "8 hours", "12 hours",
                               "1 day", "2 days"}));
        QCOMPARE(column(*list.oneTimeIntervals(), "seconds"),
                 (QVariantList{300, 600, 900, 1200, 1800, 2700, 3600, 7200, 21600, 28800, 43200,
                               86400, 172800}));
        QCOMPARE(column(*list.oneTimeIntervals(), "iconName").first(), QVariant("bell.badge"));
        QCOMPARE(list.repeatingIntervals()->title(), QStringLiteral("At intervals"));
        QVERIFY(list.repeatingIntervals()->repeats());
        QCOMPARE(column(*list.repeatingIntervals(), "title"),
                 (QVariantList{"6 hours", "8 hours", "12 hours", "1 day", "7 days", "30 days"}));
        QCOMPARE(column(*list.repeatingIntervals(), "seconds"),
                 (QVariantList{21600, 28800, 43200, 86400, 604800, 2592000}));
        const QVariantList names = column(*list.categoryChoices(), "shownName");
        QCOMPARE(names.size(), 30);
        QCOMPARE(names.first(), QVariant("American football"));
        QCOMPARE(column(*list.categoryChoices(), "iconName").first(), QVariant("football.fill"));
        QCOMPARE(column(*list.categoryChoices(), "rawValue").last(), QVariant("Workouts"));

        QCOMPARE(list.pendingHeaderMenu().titles(),
                 (QStringList{"Collapse this section", "Mark all as completed",
                              "Delete all reminders"}));
        QVERIFY(list.pendingHeaderMenu().entry(int(Action::DeleteAllReminders)).destructive);
        QCOMPARE(list.pendingHeaderMenu().entry(int(Action::MarkAllAsCompleted)).icon,
                 QStringLiteral("checkmark.circle"));
        QSignalSpy menus(&list, &ReminderView::menusChanged);
        list.toggleSection(Section::Completed);
        QVERIFY(menus.count() >= 1);
        QCOMPARE(list.completedHeaderMenu().titles(),
                 (QStringList{"Expand this section", "Delete all reminders"}));
        QVERIFY(list.isPendingExpanded());
        UserDefaults standard; // the group stays collapsed across launches
        QCOMPARE(readSetting(standard, SettingsKeys::isCompletedExpanded), false);
    }

    // Ids come from QML: one that names no reminder of the screen changes nothing, saves
    // nothing and asks nothing of the platform.
    void idsThatNameNoReminderDoNothing() {
        auto here = fixture_.add("Groceries", "here");
        auto elsewhere = fixture_.add("Pets", "elsewhere");
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        const QStringList unknown{QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(),
                                  here->idText().toLower(), "", "{" + here->idText() + "}"};
        for (const QString& id : unknown) {
            list.toggleCompletion(id);
            list.deleteReminder(id);
            list.deleteBySwipe(id);
            list.moveReminder(id, 0);
            list.moveReminderBy(id, 1);
            list.dropReminder(id, 0);
            list.changeCategory(id, "Pets");
            list.copyToClipboard(id);
            list.scheduleNotification(id, 300, false);
        }
        // Swipes and moves act within the shown groups only.
        list.deleteBySwipe(elsewhere->idText());
        list.moveReminder(elsewhere->idText(), 0);
        list.moveReminderBy(elsewhere->idText(), -1);
        list.dropReminder(elsewhere->idText(), 1);
        QVERIFY(!here->completed() && !here->isDeleted() && !elsewhere->isDeleted());
        QCOMPARE(here->category(), QStringLiteral("Groceries"));
        QVERIFY(!fixture_.context()->hasChanges());
        QVERIFY(slices_.value().isEmpty());
        QVERIFY(services().notificationCalls.isEmpty() && services().authorizations.isEmpty());
        QVERIFY(services().pasteboard.isEmpty());
        QCOMPARE(services().reloads, 0);
    }

    void choosingAnIntervalSchedulesOneRequest() {
        auto reminder = fixture_.add("Groceries", "Buy <b>milk</b> & eggs");
        selected_.setValue(groceries);
        ReminderView& list = view();
        list.scheduleNotification(reminder->idText(), 300, false);
        QCOMPARE(services().authorizations, QList<UNAuthorizationOptions>{7});
        reminder->setText("edited before the answer"); // the answer reads the record then
        QTRY_COMPARE(services().added.size(), 1);
        const UNNotificationRequest request = services().added[0];
        QCOMPARE(request.identifier, reminder->idText());
        QCOMPARE(request.content.title, QStringLiteral("Groceries"));
        QCOMPARE(request.content.body, QStringLiteral("edited before the answer"));
        QCOMPARE(request.content.sound, UNNotificationSound::defaultSound);
        QCOMPARE(request.content.interruptionLevel, UNNotificationInterruptionLevel::active);
        QCOMPARE(request.trigger.timeInterval, 300.0);
        QCOMPARE(request.trigger.repeats, false);

        // Every request of a reminder has its id text, so a new one replaces the old one.
        list.scheduleNotification(reminder->idText(), 604800, true);
        QTRY_COMPARE(services().added.size(), 2);
        QCOMPARE(services().added[1].identifier, reminder->idText());
        QCOMPARE(services().added[1].trigger.timeInterval, 604800.0);
        QCOMPARE(services().added[1].trigger.repeats, true);
        QCOMPARE(services().authorizations.size(), 2); // asked on every choice

        // Deleted while the permission was being asked: nothing is scheduled.
        list.scheduleNotification(reminder->idText(), 600, false);
        list.deleteReminder(reminder->idText());
        QTRY_COMPARE(services().answers, 3);
        QCOMPARE(services().added.size(), 2);
        QVERIFY(fixture_.console().isEmpty());
    }

    void refusedPermissionSchedulesNothing() {
        auto reminder = fixture_.add("Groceries", "x");
        selected_.setValue(groceries);
        ReminderView& list = view();
        services().granted = false;
        list.scheduleNotification(reminder->idText(), 300, false);
        QTRY_COMPARE(services().answers, 1);
        QVERIFY(services().added.isEmpty());
        QVERIFY(fixture_.console().isEmpty()); // refused without an error: nothing printed
        services().error = NotificationError{"Notifications are unavailable: no server"};
        list.scheduleNotification(reminder->idText(), 300, false);
        QTRY_COMPARE(fixture_.console().size(), 1);
        QCOMPARE(fixture_.console()[0], QStringLiteral("Notifications are unavailable: no server"));
        QVERIFY(services().added.isEmpty());
    }

    void toolbarAndInformationLinks() {
        fixture_.add("Groceries", "c", true);
        selected_.setValue(groceries);
        QVERIFY(view(UIUserInterfaceIdiom::Phone).showsChartButton());
        QVERIFY(view_->showsEditButton());
        QVERIFY(!view_->pasteShowsTitle());
        QVERIFY(!view(UIUserInterfaceIdiom::Pad).showsChartButton());
        QVERIFY(view_->pasteShowsTitle());
        QCOMPARE(view_->informationMenu().titles(),
                 (QStringList{"Contact details", "Privacy policy"}));
        QCOMPARE(view_->informationMenu().entries()[0].icon, QStringLiteral("envelope"));
        QCOMPARE(view_->informationMenu().entries()[1].icon, QStringLiteral("hand.raised"));
        view_->openPrivacyPolicy();
        view_->openContact();
        QCOMPARE(services().opened, (QList<QUrl>{QUrl(ReminderView::privacyPolicyPageText()),
                                                 QUrl(ReminderView::contactPageText())}));
        Translations translations;
        translations.table = {{ReminderView::contactPageText(), "Kontakt: bitte per Post"},
                              {ReminderView::privacyPolicyPageText(), "https://example.org/p"}};
        QCoreApplication::installTranslator(&translations);
        ReminderView& translated = view(UIUserInterfaceIdiom::Pad);
        QVERIFY(!translated.contact);
        QCOMPARE(translated.privacyPolicy, std::optional(QUrl("https://example.org/p")));
        QCOMPARE(translated.informationMenu().titles(), QStringList{"Privacy policy"});
        services().opened.clear();
        translated.openContact(); // no page: nothing opens
        translated.openPrivacyPolicy();
        QCOMPARE(services().opened, QList<QUrl>{QUrl("https://example.org/p")});
        QCoreApplication::removeTranslator(&translations);
    }

    // The sheet is the chart button's: a phone over a selected category, each opening with an
    // overview of its own, and it goes when the selection goes.
    void chartSheetOpensOnlyFromAPhonesList() {
        fixture_.add("Groceries", "c", true);
        ReminderView& tablet = view(UIUserInterfaceIdiom::Pad);
        selected_.setValue(groceries);
        QSignalSpy tabletSpy(&tablet, &ReminderView::showPieChartSheetChanged);
        tablet.setShowPieChartSheet(true);
        QVERIFY(!tablet.showPieChartSheet() && !tablet.sheetChartView());
        QCOMPARE(tabletSpy.count(), 0);

        selected_.setValue(std::nullopt);
        ReminderView& phone = view(UIUserInterfaceIdiom::Phone);
        phone.setShowPieChartSheet(true);
        QVERIFY(!phone.showPieChartSheet() && !phone.sheetChartView());

        selected_.setValue(groceries);
        QSignalSpy spy(&phone, &ReminderView::showPieChartSheetChanged);
        phone.setShowPieChartSheet(true);
        QVERIFY(phone.showPieChartSheet());
        QPointer<ChartView> first = phone.sheetChartView();
        QVERIFY(first);
        QCOMPARE(first->screenState(), ChartView::ScreenState::Chart);
        phone.setShowPieChartSheet(false);
        QVERIFY(!phone.showPieChartSheet() && !phone.sheetChartView());
        QTRY_VERIFY(!first); // its overview and query are released
        phone.setShowPieChartSheet(true);
        QVERIFY(phone.showPieChartSheet() && phone.sheetChartView());
        QCOMPARE(spy.count(), 3);

        selected_.setValue(std::nullopt);
        QVERIFY(!phone.showPieChartSheet() && !phone.sheetChartView());
        QCOMPARE(spy.count(), 4);
    }

    void aFailedSaveStopsBeforeTheRefresh() {
        auto a = fixture_.add("Groceries", "a");
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        services().takeReloads();
        auto lock = fixture_.lockStore();
        list.toggleCompletion(a->idText());
        QCOMPARE(fixture_.console().size(), 1);
        QVERIFY(slices_.value().isEmpty());
        QCOMPARE(services().takeReloads(), 0);
        QVERIFY(a->completed() && fixture_.context()->hasChanges());
    }

    void selectionChangesAndTheHandOverRefreshTheSlices() {
        auto fromWidget = fixture_.add("Pets", "from widget");
        fixture_.add("Groceries", "g", true);
        fixture_.save();
        selected_.setValue(groceries);
        ReminderView& list = view();
        selected_.setValue(pets);
        QCOMPARE(slices_.value(), (PieChartSlices{{0.0, ReminderStatus::completed},
                                                  {1.0, ReminderStatus::pending}}));
        QCOMPARE(services().takeReloads(), 2); // a reload of its own, then the slices' one

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
            QCOMPARE(services().takeReloads(), 0);
        }
        QVERIFY(!fixture_.storedCompleted(*fromWidget));
        phase_->setPhase(ScenePhase::inactive);
        phase_->setPhase(ScenePhase::active);
        QVERIFY(fromWidget->completed());
        QVERIFY(fixture_.storedCompleted(*fromWidget));
        QVERIFY(!fixture_.context()->hasChanges());
        QCOMPARE(services().removedIds(),
                 (QStringList{fromWidget->idText(), fromWidget->idText()}));
        QCOMPARE(services().takeReloads(), 1);
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
        QCOMPARE(slices_.value(), (PieChartSlices{{1.0, ReminderStatus::completed},
                                                  {0.0, ReminderStatus::pending}}));
        writeSetting(shared, SettingsKeys::completedReminders, QStringList{"unknown"});
        list.onAppear();
        QCOMPARE(readSetting(shared, SettingsKeys::completedReminders), QStringList());
    }
};

QTEST_MAIN(RemindersTest)
#include "tst_reminders.moc"
