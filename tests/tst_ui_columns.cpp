// The sidebar and the overview driven through the real window with mouse and keys, checking
// the store and the settings after each gesture.
#include "UiFixture.h"

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

using namespace ui;
using Section = MainView::Section;

class UiColumnsTest : public QObject {
    Q_OBJECT
    UiWindow ui_;
    ScreenFixture& fixture_ = ui_.fixture;
    QQuickWindow*& window_ = ui_.window;

    MainView* sidebar() const { return ui_.appView->mainView(); }
    ChartView* overview() const { return ui_.appView->chartView(); }
    // The entry of that name, the sidebar's list scrolled to it first: the list builds only
    // the rows on screen.
    QQuickItem* row(const QString& name) {
        const auto& entries = sidebar()->entries()->entries();
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const auto& e = entries[i];
            const QString entryName =
                e.header
                    ? (e.section == int(Section::Favorites) ? "favoritesHeader" : "othersHeader")
                    : "row:" + e.row.rawValue;
            if (entryName == name)
                QMetaObject::invokeMethod(find(window_, "sidebarList"), "positionViewAtIndex",
                                          Q_ARG(int, int(i)), Q_ARG(int, 1 /* Contain */));
        }
        QQuickItem* item = ui_.row(name);
        if (!item)
            qWarning("no %s", qPrintable(name));
        return item;
    }
    QQuickItem* focused() const { return window_->activeFocusItem(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(window_, key, modifiers);
    }

private slots:
    void init() { fixture_.reset(); }
    void cleanup() { ui_.close(); }

    // A right click on any sidebar row or header, or on an overview row, opens its menu and
    // changes nothing else; the menus show their offers each time and act on their item.
    void rightClicksOpenMenusOnlyAndMenusActOnTheirItem() {
        auto done = fixture_.add("Pets", "fed", true, 0);
        auto pending = fixture_.add("Pets", "walk", false, 1);
        fixture_.add("Games", "chess", false, 2);
        fixture_.context()->insert(std::make_shared<Favorite>("Work", QUuid::createUuid()));
        fixture_.save();
        QVERIFY(ui_.open("Pets"));
        const MenuNamed rowMenu{window_, "sidebarRowMenu"};
        const MenuNamed headerMenu{window_, "sidebarHeaderMenu"};
        const MenuNamed chartMenu{window_, "chartRowMenu"};
        const QStringList before = snapshot(fixture_.context());
        struct Target {
            QString name;
            MenuNamed menu;
            MenuOffers offers;
        };
        const QList<Target> targets{
            {"row:Work", rowMenu, sidebar()->rowMenu("Work", Section::Favorites)},
            {"row:Pets", rowMenu, sidebar()->rowMenu("Pets", Section::Others)},
            {"row:Games", rowMenu, sidebar()->rowMenu("Games", Section::Others)},
            {"favoritesHeader", headerMenu, sidebar()->favoritesHeaderMenu()},
            {"othersHeader", headerMenu, sidebar()->othersHeaderMenu()},
            {"chartRow:walk", chartMenu, overview()->rowMenu(pending->idText())}};
        for (int round = 0; round < 3; ++round)
            for (const Target& target : targets) {
                QQuickItem* item = row(target.name);
                QVERIFY(item);
                click(window_, item, Qt::RightButton);
                QTRY_VERIFY2(isOpen(target.menu), qPrintable(target.name));
                QVERIFY2(showsExactly(target.menu, target.offers), qPrintable(target.name));
                QTest::keyClick(window_, Qt::Key_Escape);
                QTRY_VERIFY(!target.menu->property("visible").toBool());
            }
        QCOMPARE(snapshot(fixture_.context()), before);
        QCOMPARE(sidebar()->selectedCategoryRawValue(), QStringLiteral("Pets"));

        click(window_, row("row:Games"), Qt::RightButton);
        QTRY_VERIFY(isOpen(rowMenu));
        ui_.choose(rowMenu, "Mark all as completed");
        QTRY_COMPARE(fixture_.storedCompleted(*fixture_.context()->fetch<Reminder>()[2]), true);
        QVERIFY(!pending->completed());
        click(window_, row("favoritesHeader"), Qt::RightButton);
        QTRY_VERIFY(isOpen(headerMenu));
        ui_.choose(headerMenu, "Remove all favorites");
        QTRY_VERIFY(sidebar()->favoriteNames().isEmpty());
        click(window_, row("chartRow:walk"), Qt::RightButton);
        QTRY_VERIFY(isOpen(chartMenu));
        ui_.choose(chartMenu, "Copy to clipboard");
        QCOMPARE(fixture_.services.pasteboard, QStringLiteral("walk"));
        click(window_, row("othersHeader"), Qt::RightButton);
        QTRY_VERIFY(isOpen(headerMenu));
        ui_.choose(headerMenu, "Collapse this section");
        QTRY_VERIFY(!sidebar()->isOthersExpanded());
    }

    // In edit mode each overview row has a box: a click on it or on the row selects the row,
    // the box follows the selection however it changed, and the bulk action completes exactly
    // the selected rows. Done takes the boxes away.
    void overviewBoxesSelectRowsInEditMode() {
        auto walk = fixture_.add("Pets", "walk", false, 0);
        auto feed = fixture_.add("Pets", "feed", false, 1);
        auto brush = fixture_.add("Pets", "brush", false, 2);
        fixture_.save();
        QVERIFY(ui_.open("Pets"));
        QQuickItem* walkRow = ui_.row("chartRow:walk");
        QVERIFY(walkRow);
        QVERIFY(!findIn(walkRow, "rowSelect"));
        click(window_, find(window_, "chartEditButton"));
        QTRY_VERIFY(overview()->isEditing());
        QQuickItem* walkBox = nullptr;
        QTRY_VERIFY((walkBox = findIn(walkRow, "rowSelect")) && walkBox->isVisible());
        QVERIFY(settle(window_));
        click(window_, walkBox);
        QTRY_VERIFY(overview()->multiSelection().contains(walk->id()));
        QVERIFY(walkBox->property("checked").toBool());

        QQuickItem* feedRow = ui_.row("chartRow:feed");
        click(window_, findIn(feedRow, "reminderLabel"));
        QTRY_VERIFY(overview()->multiSelection().contains(feed->id()));
        QTRY_VERIFY(findIn(feedRow, "rowSelect")->property("checked").toBool());
        click(window_, walkBox);
        QTRY_VERIFY(!overview()->multiSelection().contains(walk->id()));
        QVERIFY(!walkBox->property("checked").toBool());

        QTRY_VERIFY(find(window_, "bulkComplete") && find(window_, "bulkComplete")->isVisible());
        click(window_, find(window_, "bulkComplete"));
        QTRY_VERIFY(feed->completed());
        QVERIFY(!walk->completed() && !brush->completed());
        QVERIFY(!fixture_.context()->hasChanges());

        click(window_, find(window_, "chartEditButton"));
        QTRY_VERIFY(!overview()->isEditing());
        QQuickItem* shown = ui_.row("chartRow:walk");
        QVERIFY(shown);
        QTRY_VERIFY(!findIn(shown, "rowSelect"));
    }

    // Without the mouse: Tab reaches the sidebar's list, arrows walk its headers and rows,
    // Enter selects, Space toggles a section, the menu key opens the focused row's menu;
    // Ctrl+F searches the focused column; the overview's rows are reached and acted on too.
    void keyboardReachesEveryRowAndHeader() {
        auto walk = fixture_.add("Pets", "walk", false, 0);
        fixture_.save();
        QVERIFY(ui_.open());
        QQuickItem* search = find(window_, "sidebarSearch");
        search->forceActiveFocus(Qt::TabFocusReason);
        key(Qt::Key_Tab);
        QTRY_COMPARE(focused(), find(window_, "othersHeader"));
        QVERIFY(findIn(focused(), "focusRing")->isVisible());
        // Others: alphabetical by shown name; walk down to Pets and select it.
        for (int i = 0; i < 40 && focused()->objectName() != "row:Pets"; ++i)
            key(Qt::Key_Down);
        QCOMPARE(focused()->objectName(), QStringLiteral("row:Pets"));
        QVERIFY(findIn(focused(), "focusRing")->isVisible());
        key(Qt::Key_Return);
        QTRY_COMPARE(sidebar()->selectedCategoryRawValue(), QStringLiteral("Pets"));
        QCOMPARE(focused()->objectName(), QStringLiteral("row:Pets"));
        key(Qt::Key_Menu);
        const MenuNamed rowMenu{window_, "sidebarRowMenu"};
        QTRY_VERIFY(isOpen(rowMenu));
        QVERIFY(showsExactly(rowMenu, sidebar()->rowMenu("Pets", Section::Others)));
        key(Qt::Key_Down); // the first entry: Add favorite
        key(Qt::Key_Return);
        QTRY_COMPARE(sidebar()->favoriteNames(), QStringList{"Pets"});
        QVERIFY(!fixture_.context()->hasChanges());
        // Ctrl+F: the search of the column that has the focus.
        find(window_, "sidebarList")->forceActiveFocus(Qt::TabFocusReason);
        key(Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(search->hasActiveFocus());
        // Back to the list, up to the Favorites header, first now; Space collapses it.
        key(Qt::Key_Tab);
        QTRY_VERIFY(focused());
        for (int i = 0; i < 40 && focused()->objectName() != "favoritesHeader"; ++i)
            key(Qt::Key_Up);
        QCOMPARE(focused()->objectName(), QStringLiteral("favoritesHeader"));
        key(Qt::Key_Space);
        QTRY_VERIFY(!sidebar()->isFavoritesExpanded());

        // Tab goes on to the overview: its search, its segments, its list.
        QQuickItem* overviewRow = row("chartRow:walk");
        for (int i = 0; i < 8 && focused() != overviewRow; ++i)
            key(Qt::Key_Tab);
        QCOMPARE(focused(), overviewRow);
        QVERIFY(findIn(focused(), "focusRing")->isVisible());
        key(Qt::Key_F10, Qt::ShiftModifier);
        const MenuNamed chartMenu{window_, "chartRowMenu"};
        QTRY_VERIFY(isOpen(chartMenu));
        QVERIFY(showsExactly(chartMenu, overview()->rowMenu(walk->idText())));
        key(Qt::Key_Escape);
        QTRY_VERIFY(!chartMenu->property("visible").toBool());
        QVERIFY(!walk->completed());
        key(Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(find(window_, "chartSearch")->hasActiveFocus());
        for (int i = 0; i < 8 && focused() != overviewRow; ++i)
            key(Qt::Key_Tab);
        QCOMPARE(focused(), overviewRow);
        key(Qt::Key_Space);
        QTRY_VERIFY(walk->completed());
        QTRY_VERIFY(fixture_.storedCompleted(*walk));
    }
};

QTEST_MAIN(UiColumnsTest)
#include "tst_ui_columns.moc"
