// Loads the application's QML offscreen and uses it as a person would: by clicking.
#include "AppView.h"
#include "ChartView.h"
#include "MainView.h"
#include "ReminderView.h"
#include "RingChart.h"
#include "ScreenFixture.h"
#include "UIPasteboard.h"
#include "ui/BidiIsolate.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickItemGrabResult>
#include <QQuickWindow>
#include <QTextLayout>
#include <QtQml/QQmlExtensionPlugin>
#include <cmath>
#include <numbers>

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

class UiTest : public QObject {
    Q_OBJECT
    ScreenFixture fixture_;

    // Walks the visual tree: delegates of repeaters have no QObject parent to search.
    static QQuickItem* findIn(QQuickItem* item, const QString& name) {
        if (item->objectName() == name)
            return item;
        for (QQuickItem* child : item->childItems())
            if (QQuickItem* found = findIn(child, name))
                return found;
        return nullptr;
    }
    QQuickItem* find(QQuickWindow* window, const QString& name) {
        return findIn(window->contentItem(), name);
    }

    // Loads the application's QML for appView; the window once it is exposed, else null.
    static QQuickWindow* show(QQmlApplicationEngine& engine, AppView& appView) {
        engine.setInitialProperties({{"appView", QVariant::fromValue(&appView)}});
        engine.load(QUrl(QStringLiteral("qrc:/Nudgebox/ContentView.qml")));
        if (engine.rootObjects().size() != 1)
            return nullptr;
        auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
        return window && QTest::qWaitForWindowExposed(window) ? window : nullptr;
    }

    void click(QQuickWindow* window, QQuickItem* item) {
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(window, Qt::LeftButton, {}, centre.toPoint());
    }

private slots:
    void init() { fixture_.reset(); }

    void clickingARowSelectsItsCategory() {
        fixture_.add("Pets", "Feed the cat", true);
        fixture_.add("Pets", "Walk the dog");
        fixture_.save();
        ScenePhaseSource phase;
        AppView appView(fixture_.context(), &phase, UIUserInterfaceIdiom::Pad, fixture_.services);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);

        // Three columns on a tablet, all visible.
        QVERIFY(find(window, "overviewColumn")->isVisible());
        QVERIFY(find(window, "noCategory")->isVisible());

        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "row:Pets")) != nullptr);
        click(window, row);
        QCOMPARE(appView.selectedCategory(),
                 std::optional(ReminderCategory(ReminderCategory::pets)));
        QTRY_VERIFY(!find(window, "noCategory")->isVisible());
        QTRY_VERIFY(find(window, "pending:Walk the dog") != nullptr);
        QVERIFY(find(window, "completed:Feed the cat") != nullptr);
        QVERIFY(row->property("highlighted").toBool());

        // A right click opens the row's menu with the view's entries.
        const QPointF centre = row->mapToScene(QPointF(row->width() / 2, row->height() / 2));
        QTest::mouseClick(window, Qt::RightButton, {}, centre.toPoint());
        QObject* menu = window->findChild<QObject*>("sidebarRowMenu");
        QVERIFY(menu);
        QTRY_VERIFY(menu->property("opened").toBool());
        QMetaObject::invokeMethod(menu, "close");
        QTRY_VERIFY(!menu->property("visible").toBool());

        // Clicking the Others header collapses the section through the view.
        click(window, find(window, "othersHeader"));
        QVERIFY(!appView.mainView()->isOthersExpanded());
        QTRY_VERIFY(find(window, "row:Pets") == nullptr);
    }

    void aTextsDirectionControlsStayInsideItsIsolate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString fsi(QChar(0x2068)), pdi(QChar(0x2069)), rli(QChar(0x2067));
        const QString rlo(QChar(0x202E));
        QTest::newRow("plain") << "Buy milk" << fsi + "Buy milk" + pdi;
        QTest::newRow("empty") << "" << fsi + pdi;
        QTest::newRow("override") << rlo + "evil" << fsi + rlo + "evil" + pdi;
        // A PDI the text did not open would end the isolate early: it is left out.
        QTest::newRow("stray PDI") << "a" + pdi + rlo + "b" << fsi + "a" + rlo + "b" + pdi;
        QTest::newRow("own isolate open") << rli + "x" << fsi + rli + "x" + pdi + pdi;
        QTest::newRow("own isolate closed")
            << rli + "x" + pdi + "y" << fsi + rli + "x" + pdi + "y" + pdi;
        // Each line is a paragraph: a new one ends every isolate, so each gets its own.
        QTest::newRow("lines") << rlo + "a" + rli + "b\nc" + pdi + "d"
                               << fsi + rlo + "a" + rli + "b" + pdi + pdi + "\n" + fsi + "cd" + pdi;
    }

    // What the rows and the notification body draw, checked with the text engine the rows
    // use: text laid out after the isolated reminder text keeps its own order and place.
    void aTextsDirectionControlsStayInsideItsIsolate() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(BidiIsolate::isolated(text), shown);
        if (text.contains(u'\n'))
            return; // the layout below is one paragraph
        const QString before = QStringLiteral("one ");
        const QString after = QStringLiteral(" two");
        auto afterRunsLeftToRight = [&](const QString& middle) {
            QTextLayout layout(before + middle + after);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            line.setLineWidth(10000);
            layout.endLayout();
            const int start = int(before.size() + middle.size()) + 1; // "two"
            const qreal first = line.cursorToX(start), last = line.cursorToX(start + 3);
            return line.cursorToX(1) < line.cursorToX(3) && first < last &&
                   line.cursorToX(3) < first;
        };
        QVERIFY(afterRunsLeftToRight(shown));
        // What happened without the isolate, and with one the text could close itself.
        if (text.contains(QChar(0x202E))) {
            QVERIFY(!afterRunsLeftToRight(text));
            if (text.contains(QChar(0x2069)))
                QVERIFY(!afterRunsLeftToRight(QChar(0x2068) + text + QChar(0x2069)));
        }
    }

    // Long groups build only the rows on screen; a reminder's text is never markup and is
    // drawn in an isolate of its own, while its row and a copy keep the stored text.
    void longGroupsBuildOnlyVisibleRowsAndShowTextAsWritten() {
        const QString markup = QStringLiteral("<b>Bold</b> & <i>x</i> \u202Eevil");
        fixture_.add("Pets", markup, false, -1);
        for (int i = 0; i < 2000; ++i)
            fixture_.add("Pets", QStringLiteral("Reminder %1").arg(i), i % 2 == 0, i);
        fixture_.save();
        ScenePhaseSource phase;
        AppView appView(fixture_.context(), &phase, UIUserInterfaceIdiom::Pad, fixture_.services);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);
        appView.mainView()->select("Pets");
        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "pending:" + markup)) != nullptr);
        auto* label = qobject_cast<QQuickItem*>(row->findChild<QObject*>("reminderLabel"));
        if (!label)
            label = findIn(row, "reminderLabel");
        QVERIFY(label);
        QCOMPARE(label->property("text").toString(), BidiIsolate::isolated(markup));
        QCOMPARE(label->property("textFormat").toInt(), int(Qt::PlainText));
        appView.reminderView()->perform("copyToClipboard", false, 0);
        QCOMPARE(UIPasteboard::string(), markup);
        // The overview column draws its rows the same way.
        std::function<void(QQuickItem*, QStringList*)> labels = [&](QQuickItem* item,
                                                                    QStringList* found) {
            if (item->objectName() == "reminderLabel")
                found->append(item->property("text").toString());
            for (QQuickItem* child : item->childItems())
                labels(child, found);
        };
        QTRY_VERIFY([&] {
            QStringList drawn;
            labels(find(window, "overviewColumn"), &drawn);
            return drawn.contains(BidiIsolate::isolated(markup));
        }());

        int built = 0;
        std::function<void(QQuickItem*)> count = [&](QQuickItem* item) {
            if (item->objectName().startsWith("pending:") ||
                item->objectName().startsWith("completed:"))
                ++built;
            for (QQuickItem* child : item->childItems())
                count(child);
        };
        count(window->contentItem());
        QVERIFY2(built > 0 && built < 200, qPrintable(QString::number(built)));
    }

    void aReminderTypedInTheAddRowAppearsInThePendingGroup() {
        ScenePhaseSource phase;
        AppView appView(fixture_.context(), &phase, UIUserInterfaceIdiom::Pad, fixture_.services);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);
        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "row:Groceries")) != nullptr);
        click(window, row);
        QQuickItem* field = nullptr;
        QTRY_VERIFY((field = find(window, "addField")) != nullptr && field->isVisible());
        click(window, field);
        QTRY_VERIFY(field->hasActiveFocus());
        for (char c : QByteArray("  Buy milk "))
            QTest::keyClick(window, c);
        QTest::keyClick(window, Qt::Key_Return);
        QTRY_VERIFY(find(window, "pending:Buy milk") != nullptr);
        QCOMPARE(field->property("text").toString(), QString());
        const auto stored = fixture_.context()->fetch<Reminder>();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0]->text(), QStringLiteral("Buy milk"));
        QCOMPARE(stored[0]->category(), QStringLiteral("Groceries"));
        QVERIFY(!fixture_.context()->hasChanges());
        // Focus leaving the empty field adds nothing more.
        click(window, find(window, "listSearch"));
        QTest::qWait(50);
        QCOMPARE(fixture_.context()->fetch<Reminder>().size(), 1);
    }

    void sectorsTakeColoursByFirstAppearance() {
        const QList<QColor> range{Qt::cyan, Qt::blue};
        auto sectors = RingChart::sectors({{1, "Completed"}, {2, "Still pending"}}, range);
        QCOMPARE(sectors.size(), 2);
        QCOMPARE(sectors[0].startDegrees, 0.0);
        QCOMPARE(sectors[0].spanDegrees, 120.0);
        QCOMPARE(sectors[1].spanDegrees, 240.0);
        QCOMPARE(sectors[0].color, QColor(Qt::cyan));
        sectors = RingChart::sectors({{0, "Completed"}, {2, "Still pending"}}, range);
        QCOMPARE(sectors.size(), 1); // an empty slice draws nothing but keeps its colour
        QCOMPARE(sectors[0].color, QColor(Qt::blue));
        QVERIFY(RingChart::sectors({{0, "a"}, {0, "b"}}, range).isEmpty());
    }

    void theOverviewDrawsTheRingForOneOfThree() {
        fixture_.add("Pets", "a", true);
        fixture_.add("Pets", "b");
        fixture_.add("Pets", "c");
        fixture_.save();
        ScenePhaseSource phase;
        AppView appView(fixture_.context(), &phase, UIUserInterfaceIdiom::Pad, fixture_.services);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);
        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "row:Pets")) != nullptr);
        click(window, row);
        QQuickItem* ring = nullptr;
        QTRY_VERIFY((ring = find(window, "ring")) != nullptr && ring->isVisible() &&
                    ring->width() > 100);
        QTRY_COMPARE(find(window, "centrePercentage")->property("text").toString(),
                     QStringLiteral("33%"));
        QTest::qWait(100);
        const QImage shot = window->grabWindow();
        const QPointF centre = ring->mapToScene(QPointF(ring->width() / 2, ring->height() / 2));
        const double radius = ring->width() / 2 * 0.9; // in the middle of the ring's band
        auto at = [&](double degrees) {
            const double a = (degrees - 90) * std::numbers::pi / 180;
            const QPoint p(int(centre.x() + radius * std::cos(a)),
                           int(centre.y() + radius * std::sin(a)));
            return shot.pixelColor(p * shot.devicePixelRatio());
        };
        const QString png = QStringLiteral(QT_TESTCASE_BUILDDIR "/ring-1-of-3.png");
        shot.copy(QRectF(ring->mapToScene(QPointF(0, 0)), ring->size()).toRect()).save(png);
        qInfo("ring drawn to %s", qPrintable(png));
        // Completed: the first third clockwise from twelve, full cyan.
        QCOMPARE(at(60), QColor(Qt::cyan));
        // Pending: the rest, cyan at 30 % over the pane's background.
        const QColor pending = at(240);
        const QColor background =
            shot.pixelColor((centre + QPointF(0, ring->height() / 2 + 4)).toPoint());
        QVERIFY2(std::abs(pending.red() - 0.7 * background.red()) <= 3 &&
                     std::abs(pending.green() - (0.3 * 255 + 0.7 * background.green())) <= 3,
                 qPrintable(pending.name() + " over " + background.name()));
        // The hole is background.
        QCOMPARE(shot.pixelColor(QPoint(int(centre.x()), int(centre.y() + ring->width() * 0.3))),
                 background);
    }

    void aPhoneHasNoOverviewColumn() {
        ScenePhaseSource phase;
        AppView appView(fixture_.context(), &phase, UIUserInterfaceIdiom::Phone, fixture_.services);
        QCOMPARE(appView.columnCount(), 2);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);
        QVERIFY(!find(window, "overviewColumn")->isVisible());
    }
};

QTEST_MAIN(UiTest)
#include "tst_ui.moc"
