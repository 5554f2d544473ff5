// Loads the application's QML offscreen and uses it as a person would: by clicking.
#include "AppView.h"
#include "ChartView.h"
#include "MainView.h"
#include "ReminderView.h"
#include "RingChart.h"
#include "ScreenFixture.h"
#include "UiFixture.h"
#include "ui/BidiIsolate.h"
#include "ui/Theme.h"

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

using namespace ui;

// The tablet window over a fixture's store, drawn and exposed (window is null otherwise).
struct PadWindow {
    explicit PadWindow(ScreenFixture& fixture)
        : appView(fixture.context(), &phase, UIUserInterfaceIdiom::Pad, fixture.services)
        , window(show(engine, appView)) {}
    ScenePhaseSource phase;
    AppView appView;
    QQmlApplicationEngine engine;
    QQuickWindow* window;
};

class UiTest : public QObject {
    Q_OBJECT
    ScreenFixture fixture_;

private slots:
    void init() { fixture_.reset(); }

    void clickingARowSelectsItsCategory() {
        fixture_.add("Pets", "Feed the cat", true);
        fixture_.add("Pets", "Walk the dog");
        fixture_.save();
        PadWindow pad(fixture_);
        QQuickWindow* window = pad.window;
        QVERIFY(window);

        // Three columns on a tablet, all visible.
        QVERIFY(find(window, "overviewColumn")->isVisible());
        QVERIFY(find(window, "noCategory")->isVisible());

        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "row:Pets")) != nullptr);
        click(window, row);
        QCOMPARE(pad.appView.selectedCategory(),
                 std::optional(ReminderCategory(ReminderCategory::pets)));
        QTRY_VERIFY(!find(window, "noCategory")->isVisible());
        QTRY_VERIFY(find(window, "pending:Walk the dog") != nullptr);
        QVERIFY(find(window, "completed:Feed the cat") != nullptr);
        QVERIFY(row->property("highlighted").toBool());

        // A right click on another row opens that row's menu only: the selection stays.
        QQuickItem* games = find(window, "row:Games");
        QVERIFY(games);
        click(window, games, Qt::RightButton);
        const MenuNamed menu{window, "sidebarRowMenu"};
        QTRY_VERIFY(menu->property("opened").toBool());
        QCOMPARE(pad.appView.mainView()->selectedCategoryRawValue(), QStringLiteral("Pets"));
        QVERIFY(showsExactly(menu,
                             pad.appView.mainView()->rowMenu("Games", MainView::Section::Others)));
        // Choosing an entry acts on the row the menu was opened for.
        click(window, shownItem(menu, "Add favorite"));
        QTRY_COMPARE(pad.appView.mainView()->favoriteNames(), QStringList{"Games"});
        QTRY_VERIFY(!menu->property("visible").toBool());

        // Clicking the Others header collapses the section through the view.
        click(window, find(window, "othersHeader"));
        QVERIFY(!pad.appView.mainView()->isOthersExpanded());
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
        PadWindow pad(fixture_);
        QQuickWindow* window = pad.window;
        QVERIFY(window);
        pad.appView.mainView()->select("Pets");
        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "pending:" + markup)) != nullptr);
        auto* label = qobject_cast<QQuickItem*>(row->findChild<QObject*>("reminderLabel"));
        if (!label)
            label = findIn(row, "reminderLabel");
        QVERIFY(label);
        QCOMPARE(label->property("text").toString(), BidiIsolate::isolated(markup));
        QCOMPARE(label->property("textFormat").toInt(), int(Qt::PlainText));
        pad.appView.reminderView()->copyToClipboard(row->property("idText").toString());
        QCOMPARE(fixture_.services.pasteboard, markup);
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
        PadWindow pad(fixture_);
        QQuickWindow* window = pad.window;
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
        QTRY_VERIFY(!field->hasActiveFocus());
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

    // A sector's outline is the sector shrunk by the corner radius and grown back by it: every
    // point farther than a pixel from the edge lies inside exactly when it lies within the
    // radius of the shrunk sector, for wide, narrow, sliver and unrounded sectors.
    void sectorOutlinesRoundTheirCornersByTheRadius() {
        const QPointF centre(100, 100);
        const double outer = 90, inner = 72, inset = 1.5;
        struct Case {
            double start, span, radius;
        };
        for (const Case& c : {Case{0, 120, 5}, Case{120, 240, 5}, Case{30, 12, 5}, Case{200, 3, 5},
                              Case{90, 45, 0}, Case{350, 300, 8.99}}) {
            const QPainterPath outline =
                RingChart::sectorPath(centre, outer, inner, c.start, c.span, inset, c.radius);
            // The shrunk sector as a fine polygon: its sides at inset/2 + radius from the
            // sector's, its arcs the radius inside the ring.
            const double half = inset / 2 + c.radius;
            const double r1 = outer - c.radius, r0 = inner + c.radius;
            auto at = [&](double r, double degrees) {
                const double a = (degrees - 90) * std::numbers::pi / 180;
                return QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
            };
            auto cut = [&](double r) { return std::asin(half / r) * 180 / std::numbers::pi; };
            const double a0 = c.start + cut(r1), a1 = c.start + c.span - cut(r1);
            const double b0 = c.start + cut(r0), b1 = c.start + c.span - cut(r0);
            QPolygonF shrunk;
            if (a1 > a0 && b1 > b0) {
                for (int i = 0; i <= 400; ++i)
                    shrunk << at(r1, a0 + (a1 - a0) * i / 400);
                for (int i = 0; i <= 400; ++i)
                    shrunk << at(r0, b1 - (b1 - b0) * i / 400);
            } else {
                shrunk << at(r0, c.start + c.span / 2) << at(r1, c.start + c.span / 2);
            }
            auto distanceToEdge = [&](QPointF p) {
                double best = 1e9;
                for (qsizetype i = 0; i < shrunk.size(); ++i) {
                    const QPointF u = shrunk[i], v = shrunk[(i + 1) % shrunk.size()];
                    const QPointF d = v - u;
                    const double length2 = QPointF::dotProduct(d, d);
                    const double t =
                        length2 > 0 ? std::clamp(QPointF::dotProduct(p - u, d) / length2, 0.0, 1.0)
                                    : 0.0;
                    best = std::min(best, QLineF(p, u + t * d).length());
                }
                return best;
            };
            int checked = 0;
            for (int y = 0; y <= 200; y += 2)
                for (int x = 0; x <= 200; x += 2) {
                    const QPointF p(x + 0.5, y + 0.5);
                    const bool within =
                        shrunk.size() > 2 && shrunk.containsPoint(p, Qt::OddEvenFill);
                    const double distance = distanceToEdge(p);
                    if (std::abs((within ? -distance : distance) - c.radius) < 1.0)
                        continue; // on the edge
                    const bool inside = within || distance < c.radius;
                    QVERIFY2(outline.contains(p) == inside,
                             qPrintable(QStringLiteral("sector %1+%2 at %3,%4")
                                            .arg(c.start)
                                            .arg(c.span)
                                            .arg(x)
                                            .arg(y)));
                    checked += inside;
                }
            QVERIFY2(checked > 0, qPrintable(QString::number(c.start)));
        }
    }

    void theOverviewDrawsTheRingForOneOfThree() {
        fixture_.add("Pets", "a", true);
        fixture_.add("Pets", "b");
        fixture_.add("Pets", "c");
        fixture_.save();
        PadWindow pad(fixture_);
        QQuickWindow* window = pad.window;
        QVERIFY(window);
        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "row:Pets")) != nullptr);
        click(window, row);
        QQuickItem* ring = nullptr;
        QTRY_VERIFY((ring = find(window, "ring")) != nullptr && ring->isVisible() &&
                    ring->width() > 100);
        QTRY_COMPARE(find(window, "centrePercentage")->property("text").toString(),
                     QStringLiteral("33%"));
        QSignalSpy frames(window, &QQuickWindow::frameSwapped);
        window->requestUpdate();
        QVERIFY(frames.wait());
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
        const QColor cyan = Theme::instance()->cyan();
        QCOMPARE(at(60), cyan);
        // Pending: the rest, cyan at 30 % over the pane's background.
        const QColor pending = at(240);
        const QColor background =
            shot.pixelColor((centre + QPointF(0, ring->height() / 2 + 4)).toPoint());
        auto blended = [](int top, int bottom) { return 0.3 * top + 0.7 * bottom; };
        QVERIFY2(std::abs(pending.red() - blended(cyan.red(), background.red())) <= 3 &&
                     std::abs(pending.green() - blended(cyan.green(), background.green())) <= 3 &&
                     std::abs(pending.blue() - blended(cyan.blue(), background.blue())) <= 3,
                 qPrintable(pending.name() + " over " + background.name()));
        // The percentage is cyan text; the legend names both statuses with their colours.
        QCOMPARE(find(window, "centrePercentage")->property("color").value<QColor>(),
                 Theme::instance()->cyanText());
        const QVariantList legend = ring->property("legend").toList();
        QCOMPARE(legend.size(), 2);
        QCOMPARE(legend[0].toMap()["label"].toString(), QStringLiteral("Completed"));
        QCOMPARE(legend[0].toMap()["color"].value<QColor>(), cyan);
        QCOMPARE(legend[1].toMap()["label"].toString(), QStringLiteral("Still pending"));
        QVERIFY(qAbs(legend[1].toMap()["color"].value<QColor>().alphaF() - 0.3) < 0.005);
        QVERIFY(find(window, "legend")->isVisible());
        // The hole is background.
        QCOMPARE(shot.pixelColor(QPoint(int(centre.x()), int(centre.y() + ring->width() * 0.3))),
                 background);
    }

    // A selected row draws its name, symbol and percentage in the selected-text colour, legible
    // on the selection; other rows keep the cyan percentage. The status switch shows the
    // stored segment, and none for a value of neither.
    void selectionAndSwitchAreDrawnFromTheirState() {
        fixture_.add("Pets", "a", true);
        fixture_.add("Pets", "b");
        fixture_.add("Games", "g");
        fixture_.save();
        PadWindow pad(fixture_);
        QQuickWindow* window = pad.window;
        QVERIFY(window);
        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "row:Pets")) != nullptr);
        auto percentageOf = [](QQuickItem* entry) {
            return entry->findChild<QQuickItem*>(QStringLiteral("percentage"));
        };
        const Theme* theme = Theme::instance();
        QCOMPARE(percentageOf(row)->property("color").value<QColor>(), theme->cyanText());
        click(window, row);
        QTRY_VERIFY(row->property("highlighted").toBool());
        QCOMPARE(percentageOf(row)->property("text").toString(), QStringLiteral("50%"));
        QCOMPARE(percentageOf(row)->property("color").value<QColor>(), theme->selectedText());
        QVERIFY(Theme::contrast(theme->selectedText(), theme->selection()) >= 4.5);
        QCOMPARE(percentageOf(find(window, "row:Games"))->property("color").value<QColor>(),
                 theme->cyanText());
        // The header's chevron is a symbol of the font, in cyan.
        QQuickItem* chevron = find(window, "othersHeader")->findChild<QQuickItem*>("chevron");
        QCOMPARE(chevron->property("font").value<QFont>().family(), theme->symbolFont());
        QCOMPARE(chevron->property("color").value<QColor>(), theme->cyanText());

        QQuickItem* completed = nullptr;
        QTRY_VERIFY((completed = find(window, "completedSegment")) != nullptr &&
                    completed->isVisible());
        QQuickItem* pending = find(window, "pendingSegment");
        QVERIFY(!completed->property("selected").toBool());
        QVERIFY(pending->property("selected").toBool());
        UserDefaults().setValue("filterByCompletedStatus", qint64(2));
        QTRY_VERIFY(!pending->property("selected").toBool());
        QVERIFY(!completed->property("selected").toBool());
        click(window, completed);
        QTRY_VERIFY(completed->property("selected").toBool());
        QCOMPARE(UserDefaults().value("filterByCompletedStatus").toLongLong(), 0);
        QVERIFY(!pending->property("selected").toBool());
    }

    // A right click on a reminder opens its menu and nothing else; the menu keeps the reminder
    // it was opened on while the rows around it shift, and acts on exactly that one.
    void theRowMenuActsOnTheReminderItWasOpenedOn() {
        auto first = fixture_.add("Pets", "first", false, 1);
        auto second = fixture_.add("Pets", "second", false, 2);
        auto third = fixture_.add("Pets", "third", false, 3);
        fixture_.save();
        PadWindow pad(fixture_);
        QQuickWindow* window = pad.window;
        QVERIFY(window);
        QQuickItem* category = nullptr;
        QTRY_VERIFY((category = find(window, "row:Pets")) != nullptr);
        click(window, category);
        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "pending:second")) != nullptr && row->isVisible());

        click(window, row, Qt::RightButton);
        const MenuNamed menu{window, "reminderRowMenu"};
        QTRY_VERIFY(menu->property("opened").toBool());
        QVERIFY(!first->completed() && !second->completed() && !third->completed());
        QVERIFY(!fixture_.context()->hasChanges());
        QVERIFY(showsExactly(menu, pad.appView.reminderView()->rowMenu(second->idText())));

        // Meanwhile the rows shift: one comes in above, the first leaves the group.
        auto above = fixture_.add("Pets", "above", false, 0);
        fixture_.save();
        pad.appView.reminderView()->toggleCompletion(first->idText());
        QTRY_VERIFY(find(window, "pending:above") != nullptr);
        QTRY_VERIFY(find(window, "completed:first") != nullptr);
        QVERIFY(menu->property("opened").toBool());

        click(window, shownItem(menu, "Delete reminder"));
        QTRY_VERIFY(second->isDeleted());
        QVERIFY(!above->isDeleted() && !first->isDeleted() && !third->isDeleted());
        QCOMPARE(fixture_.services.removedIds(), (QStringList{first->idText(), second->idText()}));
        QTRY_VERIFY(find(window, "pending:second") == nullptr);
    }

    // Each opening of a menu shows exactly the entries offered then, however often it opens.
    void aMenuShowsItsEntriesEveryTimeItOpens() {
        fixture_.add("Pets", "done", true);
        fixture_.add("Pets", "todo");
        fixture_.save();
        PadWindow pad(fixture_);
        QQuickWindow* window = pad.window;
        QVERIFY(window);
        QQuickItem* row = nullptr;
        QTRY_VERIFY((row = find(window, "row:Pets")) != nullptr);
        const MenuNamed rowMenu{window, "sidebarRowMenu"};
        const MenuNamed headerMenu{window, "sidebarHeaderMenu"};
        const MenuOffers offers =
            pad.appView.mainView()->rowMenu("Pets", MainView::Section::Others);
        QCOMPARE(offers.titles(), (QStringList{"Add favorite", "Set as default",
                                               "Mark all as completed", "Delete all reminders"}));
        for (int opening = 0; opening < 5; ++opening) {
            click(window, row, Qt::RightButton);
            QTRY_VERIFY(rowMenu->property("opened").toBool());
            QVERIFY2(showsExactly(rowMenu, offers), qPrintable(QString::number(opening)));
            QTest::keyClick(window, Qt::Key_Escape);
            QTRY_VERIFY(!rowMenu->property("visible").toBool());

            click(window, find(window, "othersHeader"), Qt::RightButton);
            QTRY_VERIFY(headerMenu->property("opened").toBool());
            QVERIFY(showsExactly(headerMenu, pad.appView.mainView()->othersHeaderMenu()));
            QTest::keyClick(window, Qt::Key_Escape);
            QTRY_VERIFY(!headerMenu->property("visible").toBool());
        }
        QVERIFY(pad.appView.mainView()->isOthersExpanded()); // a right click never toggles
        QVERIFY(!fixture_.context()->hasChanges());
    }

    void aPhoneHasNoOverviewColumn() {
        ScenePhaseSource phase;
        AppView appView(fixture_.context(), &phase, UIUserInterfaceIdiom::Phone, fixture_.services);
        QCOMPARE(appView.columnCount(), 2);
        QQmlApplicationEngine engine;
        QQuickWindow* window = show(engine, appView);
        QVERIFY(window);
        QVERIFY(!find(window, "overviewColumn"));
    }
};

QTEST_MAIN(UiTest)
#include "tst_ui.moc"
