// The reminder list driven through the real window with mouse, touch and keys, checking the
// store and the settings after each gesture.
#include "ReminderView.h"
#include "UiFixture.h"

#include <QAccessible>

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

using namespace ui;
using Section = ReminderView::Section;

class UiListTest : public QObject {
    Q_OBJECT
    UiWindow ui_;
    ScreenFixture& fixture_ = ui_.fixture;
    QQuickWindow*& window_ = ui_.window;

    ReminderView* list() const { return ui_.appView->reminderView(); }
    bool open(const QString& category) { return ui_.open(category); }
    QQuickItem* row(const QString& name) { return ui_.row(name); }
    QQuickItem* focused() const { return window_->activeFocusItem(); }
    void choose(QObject* menu, const QString& title) { ui_.choose(menu, title); }
    // The row of that name dragged leftwards by half its width; null when there is none.
    QQuickItem* swipeOpenWithTheMouse(const QString& name) {
        QQuickItem* swiped = row(name);
        if (swiped) {
            const QPoint start = centreOf(swiped) + QPoint(int(swiped->width() / 4), 0);
            mouseDrag(window_, start, start - QPoint(int(swiped->width() / 2), 0));
        }
        return swiped;
    }

private slots:
    void init() { fixture_.reset(); }
    void cleanup() { ui_.close(); }

    // Enter adds the reminder and leaves the field focused for the next; the paste button
    // appends to the field without taking the focus, so nothing half-typed is saved.
    void theAddRowKeepsTheFocusAfterEnterAndPaste() {
        QVERIFY(open("Groceries"));
        QQuickItem* field = find(window_, "addField");
        click(window_, field);
        QTRY_VERIFY(field->hasActiveFocus());
        type(window_, "Milk");
        QTest::keyClick(window_, Qt::Key_Return);
        type(window_, "Eggs");
        QTest::keyClick(window_, Qt::Key_Return);
        QTRY_COMPARE(pendingTexts(list()), (QStringList{"Milk", "Eggs"}));
        QVERIFY(field->hasActiveFocus());
        QVERIFY(row("pending:Eggs"));
        QVERIFY(field->hasActiveFocus());

        type(window_, "Half");
        fixture_.services.pasteboard = QStringLiteral("pasted");
        QQuickItem* paste = find(window_, "pasteButton");
        click(window_, paste);
        QTRY_COMPARE(field->property("text").toString(), QStringLiteral("Half pasted"));
        QVERIFY(field->hasActiveFocus());
        QVERIFY(!paste->hasActiveFocus());
        QCOMPARE(pendingTexts(list()), (QStringList{"Milk", "Eggs"}));
        QVERIFY(!fixture_.context()->hasChanges());
        type(window_, "x");
        QTest::keyClick(window_, Qt::Key_Return);
        QTRY_COMPARE(pendingTexts(list()), (QStringList{"Milk", "Eggs", "Half pastedx"}));
        QVERIFY(field->hasActiveFocus());
        // Ctrl+N brings the focus back to the add row from the list.
        click(window_, find(window_, "pending:Milk"), Qt::RightButton);
        QTest::keyClick(window_, Qt::Key_Escape);
        find(window_, "reminderList")->forceActiveFocus();
        QVERIFY(!field->hasActiveFocus());
        QTest::keyClick(window_, Qt::Key_N, Qt::ControlModifier);
        QTRY_VERIFY(field->hasActiveFocus());
        QTest::keyClick(window_, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(find(window_, "listSearch")->hasActiveFocus());
    }

    // A right click on a row or a header opens its menu and changes nothing else; each menu
    // shows exactly its offers however often it opens, and acts on what it was opened on.
    void rightClicksOpenMenusOnlyAndMenusActOnTheirItem() {
        auto done = fixture_.add("Pets", "done", true, 0);
        auto first = fixture_.add("Pets", "first", false, 1);
        auto second = fixture_.add("Pets", "second", false, 2);
        fixture_.save();
        QVERIFY(open("Pets"));
        const MenuNamed rowMenu{window_, "reminderRowMenu"};
        const MenuNamed headerMenu{window_, "reminderHeaderMenu"};
        const MenuNamed infoMenu{window_, "informationMenu"};
        const QStringList before = snapshot(fixture_.context());
        struct Target {
            QString name;
            MenuNamed menu;
            MenuOffers offers;
        };
        const QList<Target> targets{{"pending:first", rowMenu, list()->rowMenu(first->idText())},
                                    {"pending:second", rowMenu, list()->rowMenu(second->idText())},
                                    {"completed:done", rowMenu, list()->rowMenu(done->idText())},
                                    {"pendingHeader", headerMenu, list()->pendingHeaderMenu()},
                                    {"completedHeader", headerMenu, list()->completedHeaderMenu()}};
        for (int round = 0; round < 3; ++round) {
            for (const Target& target : targets) {
                click(window_, row(target.name), Qt::RightButton);
                QTRY_VERIFY2(isOpen(target.menu), qPrintable(target.name));
                QVERIFY2(showsExactly(target.menu, target.offers), qPrintable(target.name));
                QTest::keyClick(window_, Qt::Key_Escape);
                QTRY_VERIFY(!target.menu->property("visible").toBool());
            }
            click(window_, find(window_, "infoButton"));
            QTRY_VERIFY(isOpen(infoMenu));
            QVERIFY(showsExactly(infoMenu, list()->informationMenu()));
            QTest::keyClick(window_, Qt::Key_Escape);
            QTRY_VERIFY(!infoMenu->property("visible").toBool());
        }
        QCOMPARE(snapshot(fixture_.context()), before);
        QCOMPARE(fixture_.services.opened.size(), 0);

        // Each entry acts on the item the menu was opened on.
        click(window_, row("pending:second"), Qt::RightButton);
        QTRY_VERIFY(isOpen(rowMenu));
        choose(rowMenu, "Copy to clipboard");
        QCOMPARE(fixture_.services.pasteboard, QStringLiteral("second"));
        click(window_, row("pending:first"), Qt::RightButton);
        QTRY_VERIFY(isOpen(rowMenu));
        choose(rowMenu, "Mark as completed");
        QTRY_VERIFY(first->completed());
        QVERIFY(!second->completed());
        click(window_, row("completedHeader"), Qt::RightButton);
        QTRY_VERIFY(isOpen(headerMenu));
        QVERIFY(showsExactly(headerMenu, list()->completedHeaderMenu()));
        choose(headerMenu, "Collapse this section");
        QTRY_VERIFY(!list()->isCompletedExpanded());
        QVERIFY(list()->isPendingExpanded());
        click(window_, row("completedHeader"), Qt::RightButton);
        QTRY_VERIFY(isOpen(headerMenu));
        choose(headerMenu, "Delete all reminders");
        QTRY_VERIFY(done->isDeleted() && first->isDeleted());
        QVERIFY(!second->isDeleted());
        click(window_, find(window_, "infoButton"));
        QTRY_VERIFY(isOpen(infoMenu));
        choose(infoMenu, "Privacy policy");
        QTRY_COMPARE(fixture_.services.opened, QList<QUrl>{*list()->privacyPolicy});
    }

    // Holding a row or a header down, with the mouse or a finger, opens its menu only: the
    // release that ends the hold does not tap it.
    void pressAndHoldOpensMenusOnly() {
        auto pending = fixture_.add("Pets", "held", false, 0);
        auto done = fixture_.add("Pets", "held done", true, 1);
        fixture_.save();
        QVERIFY(open("Pets"));
        const MenuNamed rowMenu{window_, "reminderRowMenu"};
        const MenuNamed headerMenu{window_, "reminderHeaderMenu"};
        const QStringList before = snapshot(fixture_.context());
        const bool pendingExpanded = list()->isPendingExpanded();
        QPointingDevice* screen = QTest::createTouchDevice();
        const QList<std::pair<QString, MenuNamed>> targets{{"pending:held", rowMenu},
                                                           {"completed:held done", rowMenu},
                                                           {"pendingHeader", headerMenu}};
        for (bool touch : {false, true}) {
            for (const auto& [name, menu] : targets) {
                const QPoint at = centreOf(row(name));
                if (touch)
                    QTest::touchEvent(window_, screen).press(0, at, window_);
                else
                    QTest::mousePress(window_, Qt::LeftButton, {}, at);
                QTRY_VERIFY2(isOpen(menu), qPrintable(name));
                if (touch)
                    QTest::touchEvent(window_, screen).release(0, at, window_);
                else
                    QTest::mouseRelease(window_, Qt::LeftButton, {}, at);
                QVERIFY2(isOpen(menu), qPrintable(name));
                QCOMPARE(snapshot(fixture_.context()), before);
                QCOMPARE(list()->isPendingExpanded(), pendingExpanded);
                QTest::keyClick(window_, Qt::Key_Escape);
                QTRY_VERIFY(!menu->property("visible").toBool());
            }
        }
        QVERIFY(!pending->completed() && done->completed());
    }

    // A swipe reveals the delete area of the swiped row; tapping it deletes that reminder,
    // with the mouse and with a finger, also while a search hides rows above.
    void swipingDeletesTheSwipedReminder() {
        auto a = fixture_.add("Pets", "apple", false, 0);
        auto b = fixture_.add("Pets", "banana", false, 1);
        auto c = fixture_.add("Pets", "cherry", false, 2);
        fixture_.save();
        QVERIFY(open("Pets"));
        QQuickItem* swiped = swipeOpenWithTheMouse("pending:banana");
        QVERIFY(swiped);
        QQuickItem* area = nullptr;
        QTRY_VERIFY((area = findIn(swiped, "swipeDelete")) && area->isVisible());
        QTRY_VERIFY(swiped->property("swipe").value<QObject*>()->property("complete").toBool());
        QVERIFY(!b->isDeleted());
        click(window_, area);
        QTRY_VERIFY(b->isDeleted());
        QVERIFY(!a->isDeleted() && !c->isDeleted());
        QTRY_VERIFY(find(window_, "pending:banana") == nullptr);

        // By touch, with "apple" hidden by the search: the swiped row is the one deleted.
        list()->setSearchText(QStringLiteral("rr"));
        QPointingDevice* screen = QTest::createTouchDevice();
        swiped = row("pending:cherry");
        QVERIFY(swiped);
        const QPoint from = centreOf(swiped) + QPoint(int(swiped->width() / 4), 0);
        touchDrag(window_, screen, from, from - QPoint(int(swiped->width() / 2), 0));
        QTRY_VERIFY((area = findIn(swiped, "swipeDelete")) && area->isVisible());
        QTRY_VERIFY(swiped->property("swipe").value<QObject*>()->property("complete").toBool());
        tap(window_, screen, centreOf(area));
        QTRY_VERIFY(c->isDeleted());
        QVERIFY(!a->isDeleted());
    }

    // The list draws another category in the items it has: a row left swiped open closes,
    // so no delete area stands over a reminder the user never swiped.
    void aSwipedRowClosesWhenAnotherCategoryIsShown() {
        QList<std::shared_ptr<Reminder>> all;
        for (int i = 0; i < 30; ++i) {
            all << fixture_.add("Pets", QStringLiteral("p%1").arg(i), false, i);
            all << fixture_.add("Games", QStringLiteral("g%1").arg(i), false, i);
        }
        fixture_.save();
        QVERIFY(open("Pets"));
        QQuickItem* swiped = swipeOpenWithTheMouse("pending:p2");
        QVERIFY(swiped);
        QTRY_VERIFY(swiped->property("swipe").value<QObject*>()->property("complete").toBool());

        // Chosen in the sidebar with a click, as a user would.
        QQuickItem* games = row("row:Games");
        QVERIFY(games);
        click(window_, games);
        QQuickItem* shown = nullptr;
        QTRY_VERIFY((shown = row("pending:g2")));
        QTRY_COMPARE(shown->property("swipe").value<QObject*>()->property("position").toReal(),
                     0.0);
        QTRY_VERIFY(!shown->property("swipe").value<QObject*>()->property("complete").toBool());
        // A tap where the delete area stood completes the reminder; nothing is deleted.
        QTest::mouseClick(
            window_, Qt::LeftButton, {},
            shown->mapToScene(QPointF(shown->width() - 40, shown->height() / 2)).toPoint());
        QTRY_VERIFY(all[5]->completed());
        QVERIFY(std::none_of(all.begin(), all.end(), [](const auto& r) { return r->isDeleted(); }));
    }

    // Long groups: after another category is chosen, a row is completed or the search
    // narrows and widens the list, the list shows the top rows of what it now holds.
    void longListsShowTheirTopAfterEachChange() {
        for (int i = 0; i < 300; ++i) {
            fixture_.add("Pets", QStringLiteral("p%1").arg(i), i % 5 == 0, i);
            fixture_.add("Games", QStringLiteral("g%1").arg(i), i % 5 == 4, i);
        }
        fixture_.save();
        QVERIFY(open("Pets"));
        QQuickItem* area = find(window_, "reminderList");
        auto drawnInList = [&](const QString& name) {
            QQuickItem* item = row(name);
            return item && area->mapRectToScene(area->boundingRect())
                               .contains(item->mapRectToScene(item->boundingRect()).center());
        };
        QVERIFY(drawnInList("pendingHeader"));
        QVERIFY(drawnInList("pending:p1"));
        // Scrolled far down with the wheel first.
        const QPointF over = area->mapToScene(QPointF(area->width() / 2, area->height() / 2));
        auto shownNow = [&](const QString& name) {
            QQuickItem* item = findOnly(window_, name);
            return item && area->mapRectToScene(area->boundingRect())
                               .contains(item->mapRectToScene(item->boundingRect()).center());
        };
        auto scrolledAScreen = [&] { return area->property("contentY").toReal() > area->height(); };
        for (int notch = 0; notch < 60 && !scrolledAScreen(); ++notch) {
            QWheelEvent wheel(over, window_->mapToGlobal(over), {}, QPoint(0, -120 * 3),
                              Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QGuiApplication::sendEvent(window_, &wheel);
            QTRY_VERIFY(!area->property("moving").toBool());
        }
        QVERIFY(scrolledAScreen());
        QVERIFY(!shownNow("pendingHeader"));

        click(window_, row("row:Games"));
        QVERIFY(drawnInList("pendingHeader"));
        QVERIFY(drawnInList("pending:g0"));

        click(window_, row("pending:g0"));
        QTRY_COMPARE(pendingTexts(list()).first(), QStringLiteral("g1"));
        QVERIFY(drawnInList("pending:g1"));
        QVERIFY(drawnInList("pending:g2"));

        click(window_, find(window_, "listSearch"));
        type(window_, "7");
        QVERIFY(drawnInList("pending:g7"));
        QVERIFY(drawnInList("pending:g17"));
        QTRY_VERIFY(findOnly(window_, "pending:g2") == nullptr);
        QTest::keyClick(window_, Qt::Key_Backspace);
        QVERIFY(drawnInList("pendingHeader"));
        QVERIFY(drawnInList("pending:g2"));
    }

    // In edit mode a row dragged by its handle lands where it is dropped, in its own group
    // only; Ctrl+Up/Down move the focused row.
    void draggingReordersWithinTheGroup() {
        fixture_.add("Pets", "a", false, 0);
        fixture_.add("Pets", "b", false, 1);
        fixture_.add("Pets", "c", false, 2);
        auto done = fixture_.add("Pets", "done", true, 3);
        fixture_.add("Pets", "done too", true, 4);
        fixture_.save();
        QVERIFY(open("Pets"));
        const QQuickItem* hidden = findIn(row("pending:a"), "reorderHandle");
        QVERIFY(!hidden || !hidden->isVisible());
        click(window_, find(window_, "editButton"));
        QTRY_VERIFY(list()->isEditing());
        QQuickItem* handle = nullptr;
        QTRY_VERIFY((handle = findIn(row("pending:c"), "reorderHandle")) && handle->isVisible());
        // Drop c on a: c goes first.
        mouseDrag(window_, centreOf(handle),
                  QPoint(centreOf(handle).x(), centreOf(row("pending:a")).y()));
        QTRY_COMPARE(pendingTexts(list()), (QStringList{"c", "a", "b"}));
        QVERIFY(!fixture_.context()->hasChanges());
        // Dropped on the other group: nothing changes.
        const QStringList before = snapshot(fixture_.context());
        handle = findIn(row("pending:a"), "reorderHandle");
        mouseDrag(window_, centreOf(handle),
                  QPoint(centreOf(handle).x(), centreOf(row("completed:done too")).y()));
        QCOMPARE(snapshot(fixture_.context()), before);
        // b to the top.
        handle = findIn(row("pending:b"), "reorderHandle");
        mouseDrag(window_, centreOf(handle),
                  QPoint(centreOf(handle).x(), centreOf(row("pending:c")).y()));
        QTRY_COMPARE(pendingTexts(list()), (QStringList{"b", "c", "a"}));
        // By touch: a to the top.
        QPointingDevice* screen = QTest::createTouchDevice();
        handle = findIn(row("pending:a"), "reorderHandle");
        touchDrag(window_, screen, centreOf(handle),
                  QPoint(centreOf(handle).x(), centreOf(row("pending:b")).y()));
        QTRY_COMPARE(pendingTexts(list()), (QStringList{"a", "b", "c"}));
        // The completed group reorders among itself.
        handle = findIn(row("completed:done too"), "reorderHandle");
        mouseDrag(window_, centreOf(handle),
                  QPoint(centreOf(handle).x(), centreOf(row("completed:done")).y()));
        QTRY_COMPARE(texts(list()->completedList()), (QStringList{"done too", "done"}));
        QCOMPARE(done->orderIndex(), 1);
        // The buttons of the old edit mode are gone; the row's delete is a named control.
        QQuickItem* remove = findIn(row("pending:a"), "rowDelete");
        QVERIFY(remove && remove->isVisible());
        QAccessibleInterface* named = QAccessible::queryAccessibleInterface(remove);
        QVERIFY(named);
        QCOMPARE(named->text(QAccessible::Name), QStringLiteral("Delete reminder"));
    }

    // A session without the mouse: add two reminders, reach the list, toggle, move, delete
    // and use a menu, all by keys.
    void aKeyboardOnlySession() {
        QVERIFY(open("Groceries"));
        QTest::keyClick(window_, Qt::Key_N, Qt::ControlModifier);
        QTRY_VERIFY(find(window_, "addField")->hasActiveFocus());
        for (const char* text : {"one", "two", "three"}) {
            type(window_, QString::fromLatin1(text));
            QTest::keyClick(window_, Qt::Key_Return);
        }
        QTRY_COMPARE(pendingTexts(list()), (QStringList{"one", "two", "three"}));
        // Tab goes past the paste button to the list, on its first entry: the header.
        QTest::keyClick(window_, Qt::Key_Tab);
        QTRY_COMPARE(focused(), find(window_, "pendingHeader"));
        QVERIFY(findIn(focused(), "focusRing")->isVisible());
        QTest::keyClick(window_, Qt::Key_Down);
        QTRY_COMPARE(focused(), find(window_, "pending:one"));
        QVERIFY(findIn(focused(), "focusRing")->isVisible());
        QTest::keyClick(window_, Qt::Key_Down);
        QTRY_COMPARE(focused(), find(window_, "pending:two"));
        // Space taps: "two" is completed.
        QTest::keyClick(window_, Qt::Key_Space);
        QTRY_COMPARE(texts(list()->completedList()), QStringList{"two"});
        QTRY_VERIFY(find(window_, "pending:two") == nullptr);
        // The menu key opens the focused row's menu; arrows and Return choose an entry.
        QTRY_VERIFY(focused() && focused()->objectName().startsWith("pending:"));
        const QString id = focused()->property("idText").toString();
        const QString text = focused()->property("reminderText").toString();
        QTest::keyClick(window_, Qt::Key_Menu);
        const MenuNamed menu{window_, "reminderRowMenu"};
        QTRY_VERIFY(isOpen(menu));
        QVERIFY(showsExactly(menu, list()->rowMenu(id)));
        QTest::keyClick(window_, Qt::Key_Escape);
        QTRY_VERIFY(!menu->property("visible").toBool());
        QTest::keyClick(window_, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(isOpen(menu));
        for (int i = 0; i < 3; ++i) // past Create reminder and Change category: Copy
            QTest::keyClick(window_, Qt::Key_Down);
        QTest::keyClick(window_, Qt::Key_Return);
        QTRY_COMPARE(fixture_.services.pasteboard, text);
        // Enter on the header collapses the group.
        find(window_, "reminderList")->forceActiveFocus(Qt::TabFocusReason);
        QTRY_VERIFY(focused());
        for (int i = 0; i < 4 && focused()->objectName() != "pendingHeader"; ++i)
            QTest::keyClick(window_, Qt::Key_Up);
        QCOMPARE(focused()->objectName(), QStringLiteral("pendingHeader"));
        QTest::keyClick(window_, Qt::Key_Return);
        QTRY_VERIFY(!list()->isPendingExpanded());
        QTest::keyClick(window_, Qt::Key_Space);
        QTRY_VERIFY(list()->isPendingExpanded());
        // Edit mode from the toolbar by Shift+Tab, then Ctrl+Down moves the focused row.
        QTest::keyClick(window_, Qt::Key_Down);
        QTRY_COMPARE(focused(), find(window_, "pending:one"));
        QQuickItem* edit = find(window_, "editButton");
        for (int i = 0; i < 4 && focused() != edit; ++i)
            QTest::keyClick(window_, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focused(), edit);
        QTest::keyClick(window_, Qt::Key_Space);
        QTRY_VERIFY(list()->isEditing());
        // On through the information button and the add row to the list, where it was left.
        for (int i = 0; i < 4 && focused() != find(window_, "pending:one"); ++i)
            QTest::keyClick(window_, Qt::Key_Tab);
        QCOMPARE(focused(), find(window_, "pending:one"));
        QTest::keyClick(window_, Qt::Key_Down, Qt::ControlModifier);
        QTRY_COMPARE(pendingTexts(list()), (QStringList{"three", "one"}));
        QTRY_VERIFY(focused() && focused()->objectName() == "pending:one");
        QTest::keyClick(window_, Qt::Key_Up, Qt::ControlModifier);
        QTRY_COMPARE(pendingTexts(list()), (QStringList{"one", "three"}));
        // Delete removes the focused reminder.
        QTRY_VERIFY(focused() && focused()->objectName() == "pending:one");
        QTest::keyClick(window_, Qt::Key_Delete);
        QTRY_COMPARE(pendingTexts(list()), QStringList{"three"});
        QVERIFY(!fixture_.context()->hasChanges());
    }
};

QTEST_MAIN(UiListTest)
#include "tst_ui_list.moc"
