// The window's arrangement by device kind, driven through the real window with mouse and keys:
// the columns and their sizes, the phone's way to the list and back, and the chart sheet.
#include "AppView.h"
#include "FrameLayout.h"
#include "MainView.h"
#include "ReminderView.h"
#include "ScreenFixture.h"
#include "UiFixture.h"

#include <QAccessible>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

using ui::find;
using ui::findIn;
using ui::show;

class UiLayoutTest : public QObject {
    Q_OBJECT
    ScreenFixture fixture_;
    ScenePhaseSource phase_;

    // The sheet draws in the window's overlay but belongs to the list it covers.
    static QObject* sheetOf(QQuickWindow* window) {
        return find(window, "detailColumn")->findChild<QObject*>(QStringLiteral("chartSheet"));
    }
    static QRectF sceneRect(QQuickItem* item) {
        return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    }
    static bool shown(QQuickItem* item) { return item && item->isVisible() && item->width() > 0; }

    static void resize(QQuickWindow* window, QSize size) {
        window->resize(size);
        QTRY_COMPARE(window->contentItem()->size(), QSizeF(size));
    }
    static void click(QQuickWindow* window, QPointF at) {
        QTest::mouseClick(window, Qt::LeftButton, {}, at.toPoint());
    }
    static void click(QQuickWindow* window, QQuickItem* item) {
        click(window, sceneRect(item).center());
    }
    // A press, a move in small steps as a hand makes, and a release.
    static void drag(QQuickWindow* window, QPoint from, QPoint to) {
        QTest::mousePress(window, Qt::LeftButton, {}, from);
        constexpr int steps = 12;
        for (int i = 1; i <= steps; ++i)
            QTest::mouseMove(window, from + (to - from) * i / steps, 16);
        QTest::mouseRelease(window, Qt::LeftButton, {}, to, 16);
    }

    // The sheet is open, drawn over the list from edge to edge, and its overview is loaded.
    static void verifySheetOpen(QQuickWindow* window, AppView& appView) {
        QObject* sheet = sheetOf(window);
        QTRY_VERIFY(sheet->property("opened").toBool());
        QVERIFY(appView.reminderView()->showPieChartSheet());
        const QRectF list = sceneRect(find(window, "detailColumn"));
        QCOMPARE(sheet->property("x").toReal(), list.x());
        QCOMPARE(sheet->property("width").toReal(), list.width());
        QVERIFY(sheet->property("height").toReal() > list.height() * 0.8);
        QVERIFY(shown(find(window, "sheetDragIndicator")));
        // The overview of the list's category, drawn in the sheet.
        auto* content = sheet->property("contentItem").value<QQuickItem*>();
        QTRY_VERIFY(shown(findIn(content, "ring")));
    }
    static void verifySheetClosed(QQuickWindow* window, AppView& appView) {
        QTRY_VERIFY(!sheetOf(window)->property("visible").toBool());
        QVERIFY(!appView.reminderView()->showPieChartSheet());
        QVERIFY(!appView.reminderView()->sheetChartView());
    }

private slots:
    void init() {
        // Every warning of the screens' QML (a failed binding, a TypeError) fails the test.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("qrc:/|TypeError|ReferenceError")));
        fixture_.reset();
    }

    // A phone fills its screen; elsewhere the window takes a share of the room, never less
    // than the three columns need and never more than there is.
    void windowSizesFollowTheScreen() {
        const FrameLayout phone = FrameLayout::forDevice(UIUserInterfaceIdiom::Phone);
        const FrameLayout tablet = FrameLayout::forDevice(UIUserInterfaceIdiom::Pad);
        QCOMPARE(phone.windowSizeFor({390, 800}), QSize(390, 800));
        QVERIFY(phone.minimumWindowSize.width() <= 390 && phone.minimumWindowSize.height() <= 844);
        QCOMPARE(tablet.windowSizeFor({1600, 1000}), QSize(1280, 800));
        QCOMPARE(tablet.windowSizeFor({800, 600}), QSize(tablet.minimumWindowSize.width(), 480));
        QCOMPARE(tablet.windowSizeFor({700, 400}), QSize(700, 400)); // never beyond the screen
        QVERIFY(tablet.minimumWindowSize.width() >= tablet.sidebarMinimumWidth +
                                                        tablet.overviewMinimumWidth +
                                                        tablet.detailMinimumWidth);
        QVERIFY(tablet.minimumWindowSize.width() <= 768); // a tablet held upright
        QCOMPARE(phone.overviewMinimumWidth, 0);
    }

    // The frame's rules without a window: a tablet always shows the list; a phone shows it
    // for each choice of a category, goes back while no sheet is in front, and keeps the
    // selection when it does.
    void theCollapsedFrameFollowsTheSidebar() {
        fixture_.add("Pets", "Feed the cat");
        AppView tablet(fixture_.context(), &phase_, UIUserInterfaceIdiom::Pad, fixture_.services);
        QVERIFY(!tablet.collapsed() && tablet.showsDetail());
        tablet.mainView()->select("Pets");
        QVERIFY(!tablet.canGoBack() && !tablet.goBack() && tablet.showsDetail());

        AppView phone(fixture_.context(), &phase_, UIUserInterfaceIdiom::Phone, fixture_.services);
        QSignalSpy shownChanges(&phone, &AppView::showsDetailChanged);
        QVERIFY(phone.collapsed() && !phone.showsDetail() && !phone.canGoBack());
        phone.mainView()->select("Pets");
        QVERIFY(phone.showsDetail() && phone.canGoBack());
        phone.reminderView()->setShowPieChartSheet(true);
        QVERIFY(!phone.canGoBack() && !phone.goBack() && phone.showsDetail());
        phone.reminderView()->setShowPieChartSheet(false);
        QVERIFY(phone.goBack());
        QVERIFY(!phone.showsDetail());
        QCOMPARE(phone.mainView()->selectedCategoryRawValue(), QStringLiteral("Pets"));
        phone.mainView()->select("Pets"); // the same category again
        QVERIFY(phone.showsDetail());
        phone.mainView()->select("no such category"); // clears the selection: nothing to show
        QVERIFY(!phone.showsDetail());
        QCOMPARE(shownChanges.count(), 4);
    }

    // Three columns side by side, in order, each at least its readable width, both at a wide
    // window and at the smallest the window allows.
    void aTabletShowsThreeColumns() {
        AppView appView(fixture_.context(), &phase_, UIUserInterfaceIdiom::Pad, fixture_.services);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);
        const FrameLayout layout = FrameLayout::forDevice(UIUserInterfaceIdiom::Pad);
        QCOMPARE(window->size(), layout.windowSizeFor(
                                     QGuiApplication::primaryScreen()->availableGeometry().size()));
        QCOMPARE(window->minimumSize(), layout.minimumWindowSize);
        QVERIFY(!find(window, "backButton"));

        for (const QSize size : {QSize(1600, 1000), layout.minimumWindowSize}) {
            resize(window, size);
            QQuickItem* sidebar = find(window, "sidebarColumn");
            QQuickItem* overview = find(window, "overviewColumn");
            QQuickItem* detail = find(window, "detailColumn");
            QVERIFY(shown(sidebar) && shown(overview) && shown(detail));
            const QRectF s = sceneRect(sidebar), o = sceneRect(overview), d = sceneRect(detail);
            QVERIFY2(s.right() <= o.left() && o.right() <= d.left(),
                     qPrintable(QDebug::toString(size)));
            QVERIFY(s.width() >= layout.sidebarMinimumWidth);
            QVERIFY(o.width() >= layout.overviewMinimumWidth);
            QVERIFY2(d.width() >= layout.detailMinimumWidth,
                     qPrintable(QString::number(d.width())));
            QCOMPARE(d.right(), qreal(size.width()));
            QCOMPARE(s.height(), qreal(size.height()));
        }

        // No sheet on a tablet: no chart button, and a drag up from the bottom edge opens nothing.
        resize(window, QSize(1600, 1000));
        click(window, find(window, "row:Pets"));
        QTRY_VERIFY(shown(find(window, "listSearch")));
        QVERIFY(!shown(find(window, "chartButton")));
        const QSize size = window->size();
        const QPoint bottom(int(sceneRect(find(window, "detailColumn")).center().x()),
                            size.height() - 2);
        drag(window, bottom, bottom - QPoint(0, size.height() / 2));
        QVERIFY(!sheetOf(window)->property("visible").toBool());
        QVERIFY(!appView.reminderView()->showPieChartSheet());
    }

    // The lists' highlight is at their current entry as soon as it moves, at start too: eased,
    // it would keep the window drawing frames that show nothing.
    void listsFollowTheirCurrentEntryAtOnce() {
        for (int i = 0; i < 4; ++i)
            fixture_.add("Pets", QStringLiteral("Chore %1").arg(i), false, i);
        AppView appView(fixture_.context(), &phase_, UIUserInterfaceIdiom::Pad, fixture_.services);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);
        click(window, find(window, "row:Pets"));
        for (const char* name : {"sidebarList", "chartList"}) {
            auto* list = qobject_cast<QQuickItem*>(find(window, name));
            QVERIFY(list);
            QTRY_VERIFY(list->property("count").toInt() > 3);
            list->forceActiveFocus(Qt::TabFocusReason);
            for (int step = 0; step < 3; ++step) {
                auto* highlight = list->property("highlightItem").value<QQuickItem*>();
                QVERIFY(highlight);
                // Every place the highlight takes on its way to the entry.
                QList<qreal> places;
                const auto track = connect(highlight, &QQuickItem::yChanged, this,
                                           [&] { places << highlight->y(); });
                const int before = list->property("currentIndex").toInt();
                QTest::keyClick(window, Qt::Key_Down);
                QCOMPARE(list->property("currentIndex").toInt(), before + 1);
                auto* current = list->property("currentItem").value<QQuickItem*>();
                QVERIFY(current);
                QTRY_COMPARE(highlight->y(), current->y());
                disconnect(track);
                QVERIFY2(places == QList<qreal>{current->y()}, name);
            }
        }
    }

    // A phone shows one column at a time across the whole window: the sidebar, then the list
    // of the category tapped, and back by the button, Escape or Alt+Left, which leave the
    // selection as it is.
    void aPhoneGoesFromTheSidebarToTheListAndBack() {
        fixture_.add("Pets", "Feed the cat");
        fixture_.save();
        AppView appView(fixture_.context(), &phase_, UIUserInterfaceIdiom::Phone,
                        fixture_.services);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);
        const FrameLayout layout = FrameLayout::forDevice(UIUserInterfaceIdiom::Phone);
        QCOMPARE(window->minimumSize(), layout.minimumWindowSize);
        QVERIFY(!find(window, "overviewColumn"));

        for (const QSize size : {QSize(390, 844), layout.minimumWindowSize}) {
            resize(window, size);
            QQuickItem* sidebar = find(window, "sidebarColumn");
            QVERIFY(shown(sidebar) && !shown(find(window, "detailColumn")));
            QCOMPARE(sceneRect(sidebar), QRectF(QPointF(0, 0), QSizeF(size)));
        }
        resize(window, QSize(390, 844));

        const QList<std::function<void()>> waysBack{
            [&] {
                QQuickItem* back = find(window, "backButton");
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(back);
                QVERIFY(accessible);
                QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Back"));
                QCOMPARE(accessible->role(), QAccessible::Button);
                click(window, back);
            },
            [&] { QTest::keyClick(window, Qt::Key_Escape); },
            [&] { QTest::keyClick(window, Qt::Key_Left, Qt::AltModifier); },
        };
        for (const auto& goBack : waysBack) {
            click(window, find(window, "row:Pets"));
            QTRY_VERIFY(shown(find(window, "pending:Feed the cat")));
            QQuickItem* detail = find(window, "detailColumn");
            QVERIFY(!shown(find(window, "sidebarColumn")));
            QCOMPARE(sceneRect(detail).width(), 390.0);
            QVERIFY(shown(find(window, "backButton")));
            QVERIFY(appView.canGoBack());

            goBack();
            QTRY_VERIFY(shown(find(window, "sidebarColumn")));
            QVERIFY(!shown(find(window, "detailColumn")));
            QCOMPARE(appView.selectedCategory(),
                     std::optional(ReminderCategory(ReminderCategory::pets)));
            QVERIFY(find(window, "row:Pets")->property("highlighted").toBool());
            QVERIFY(!appView.canGoBack());
            QVERIFY(!appView.goBack()); // nothing further back
        }

        // The same category tapped again shows its list again; another one shows that one.
        click(window, find(window, "row:Pets"));
        QTRY_VERIFY(shown(find(window, "detailColumn")));
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(shown(find(window, "sidebarColumn")));
        click(window, find(window, "row:Games"));
        QTRY_VERIFY(shown(find(window, "detailColumn")));
        QCOMPARE(appView.mainView()->selectedCategoryRawValue(), QStringLiteral("Games"));
    }

    // The chart sheet opens from the chart button only, covers the list, and closes by a drag
    // down, Escape or a click outside, each time telling the view; it opens again every time.
    void thePhonesChartSheetOpensFromItsButtonOnly() {
        fixture_.add("Pets", "Feed the cat");
        fixture_.save();
        AppView appView(fixture_.context(), &phase_, UIUserInterfaceIdiom::Phone,
                        fixture_.services);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);
        resize(window, QSize(390, 844));
        const QPoint bottomEdge(195, 844 - 2);

        // Over the sidebar, with no category selected, an edge drag opens nothing.
        drag(window, bottomEdge, QPoint(195, 300));
        verifySheetClosed(window, appView);
        QVERIFY(shown(find(window, "sidebarColumn")));

        click(window, find(window, "row:Pets"));
        QTRY_VERIFY(shown(find(window, "chartButton")));
        drag(window, bottomEdge, QPoint(195, 300));
        verifySheetClosed(window, appView);

        QSignalSpy closings(appView.reminderView(), &ReminderView::showPieChartSheetChanged);
        // Opening and closing once for each way it closes.
        const QList<std::function<void()>> closes{
            [&] { QTest::keyClick(window, Qt::Key_Escape); },
            [&] { click(window, QPointF(200, 20)); }, // above the sheet, over the back button
            [&] {
                QQuickItem* indicator = find(window, "sheetDragIndicator");
                const QPoint grip = sceneRect(indicator).center().toPoint() + QPoint(0, 10);
                drag(window, grip, QPoint(grip.x(), 840));
            },
        };
        for (const auto& close : closes) {
            click(window, find(window, "chartButton"));
            verifySheetOpen(window, appView);
            QVERIFY(!appView.canGoBack()); // Escape belongs to the sheet now
            close();
            verifySheetClosed(window, appView);
            // Closing the sheet leaves the list where it was.
            QVERIFY(shown(find(window, "detailColumn")));
            QVERIFY(appView.canGoBack());
        }
        QCOMPARE(closings.count(), 6);
    }
};

QTEST_MAIN(UiLayoutTest)
#include "tst_ui_layout.moc"
