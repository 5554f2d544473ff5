// What assistive technology reads of the real windows: every control a user can operate, on
// every screen, in every open menu and in the widget host, has a name; and the text sizes
// follow the desktop's text size.
#include "Favorite.h"
#include "NudgeboxStore.h"
#include "ScreenFixture.h"
#include "UiFixture.h"
#include "widgets/host/WidgetHost.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtQml/QQmlExtensionPlugin>

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

using ui::click;
using ui::find;
using ui::isOpen;
using ui::shownItems;

namespace {

// Roles a user operates: each of them must say what it is.
bool operable(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::MenuItem:
    case QAccessible::ListItem:
    case QAccessible::TreeItem:
    case QAccessible::EditableText:
    case QAccessible::PageTab:
    case QAccessible::PageTabList:
    case QAccessible::ComboBox:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::Dial:
    case QAccessible::ScrollBar:
    case QAccessible::Link:
    case QAccessible::Grip:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return false;
    }
}

QString roleName(QAccessible::Role role) {
    return QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(role));
}

// One node of the tree as read: its role and name, and where it sits.
struct Node {
    QAccessible::Role role;
    QString name;
    QString path;
};

// Every node shown in the window's tree, walked from the window as a screen reader does.
QList<Node> readTree(QWindow* window) {
    QList<Node> nodes;
    std::function<void(QAccessibleInterface*, const QString&, int)> walk =
        [&](QAccessibleInterface* node, const QString& path, int depth) {
            if (!node || !node->isValid() || depth > 64)
                return;
            const QString here = path + u'/' + roleName(node->role());
            if (!node->state().invisible)
                nodes.append({node->role(), node->text(QAccessible::Name), here});
            for (int i = 0; i < node->childCount(); ++i)
                walk(node->child(i), here, depth + 1);
        };
    // As an assistive technology does on connecting: every item made so far, delegates and
    // menu entries included, takes its role (offscreen, items made later do not by themselves).
    QAccessible::setActive(true);
    walk(QAccessible::queryAccessibleInterface(window), QString(), 0);
    return nodes;
}

// The operable nodes without a name, one line each; empty when all are named.
QStringList unnamed(const QList<Node>& nodes) {
    QStringList lines;
    for (const Node& node : nodes)
        if (operable(node.role) && node.name.trimmed().isEmpty())
            lines << node.path;
    return lines;
}

QStringList namesOf(const QList<Node>& nodes, QAccessible::Role role) {
    QStringList names;
    for (const Node& node : nodes)
        if (node.role == role)
            names << node.name;
    return names;
}

} // namespace

class UiAccessibilityTest : public QObject {
    Q_OBJECT
    ui::UiWindow ui_;
    QFont startFont_;

    // Fails listing every operable node of the window that has no name.
    void verifyAllNamed(QWindow* window, const QList<Node>& nodes, const char* where) {
        const QStringList missing = unnamed(nodes);
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("%1 in %2: unnamed:\n  %3")
                                                   .arg(QString::fromLatin1(where), window->title(),
                                                        missing.join(QStringLiteral("\n  ")))));
    }
    // Opens a menu by a right click on an entry and waits until it is drawn.
    void openMenuOn(const QString& entry, const ui::MenuNamed& menu) {
        QQuickItem* item = ui_.row(entry);
        QVERIFY2(item, qPrintable(entry));
        click(ui_.window, item, Qt::RightButton);
        QTRY_VERIFY(isOpen(menu));
        QVERIFY(ui::settle(ui_.window));
    }
    void closeMenu(const ui::MenuNamed& menu) {
        QTest::keyClick(ui_.window, Qt::Key_Escape);
        QTRY_VERIFY(!menu->property("visible").toBool());
    }

private slots:
    void initTestCase() { startFont_ = QGuiApplication::font(); }
    void init() { ui_.fixture.reset(); }
    void cleanup() {
        ui_.close();
        QGuiApplication::setFont(startFont_);
    }

    // The sidebar with both sections, the list with pending and completed rows, in both
    // editing states, and the overview column with its rows and switch.
    void everyControlOfTheScreensIsNamed() {
        ui_.fixture.add("Pets", "Feed the cat");
        ui_.fixture.add("Pets", "Buy food", true);
        ui_.fixture.context()->insert(std::make_shared<Favorite>("Work", QUuid::createUuid()));
        ui_.fixture.save();
        QVERIFY(ui_.open("Pets"));
        QVERIFY(ui_.row("completed:Buy food"));
        ReminderView* list = ui_.appView->reminderView();
        ChartView* chart = ui_.appView->chartView();

        for (const bool editing : {false, true}) {
            list->setIsEditing(editing);
            chart->setIsEditing(editing);
            QVERIFY(ui::settle(ui_.window));
            const QList<Node> nodes = readTree(ui_.window);
            verifyAllNamed(ui_.window, nodes, editing ? "editing" : "browsing");

            // The walk reached the rows, and they are read with their state.
            const QStringList items = namesOf(nodes, QAccessible::ListItem);
            QVERIFY2(items.contains("Feed the cat"), qPrintable(items.join(" | ")));
            QVERIFY2(items.contains("Buy food, Completed"), qPrintable(items.join(" | ")));
            QVERIFY2(items.contains("Pets, 50% completed"), qPrintable(items.join(" | ")));
            QVERIFY(items.contains("Work"));
            QVERIFY(items.contains("Favorites") && items.contains("Others"));
            const QStringList fields = namesOf(nodes, QAccessible::EditableText);
            QVERIFY2(fields.size() >= 3, qPrintable(fields.join(" | "))); // two searches, add row
            QVERIFY(namesOf(nodes, QAccessible::PageTab).size() == 2);
            QVERIFY(namesOf(nodes, QAccessible::Button).contains("Show chart") ||
                    !list->showsChartButton());
            if (editing) {
                QVERIFY(namesOf(nodes, QAccessible::CheckBox).contains("Select Feed the cat"));
                QVERIFY(namesOf(nodes, QAccessible::Grip).contains("Reorder"));
            }
        }
    }

    // Each context menu as it opens, and the notification menu down to its intervals.
    void everyOpenMenuIsNamed() {
        auto pending = ui_.fixture.add("Pets", "Feed the cat");
        ui_.fixture.add("Pets", "Buy food", true);
        ui_.fixture.save();
        QVERIFY(ui_.open("Pets"));
        QQuickWindow* window = ui_.window;

        const QList<std::pair<QString, const char*>> menus{
            {"row:Pets", "sidebarRowMenu"},
            {"othersHeader", "sidebarHeaderMenu"},
            {"pending:Feed the cat", "reminderRowMenu"},
            {"completedHeader", "reminderHeaderMenu"},
            {"chartRow:Feed the cat", "chartRowMenu"},
        };
        for (const auto& [entry, menuName] : menus) {
            const ui::MenuNamed menu{window, menuName};
            openMenuOn(entry, menu);
            const QList<Node> nodes = readTree(window);
            verifyAllNamed(window, nodes, menuName);
            QVERIFY2(namesOf(nodes, QAccessible::MenuItem).size() >= 2, menuName);
            closeMenu(menu);
        }

        const ui::MenuNamed info{window, "informationMenu"};
        click(window, find(window, "infoButton"));
        QTRY_VERIFY(isOpen(info));
        verifyAllNamed(window, readTree(window), "informationMenu");
        closeMenu(info);

        // Create reminder → One time only: each submenu opens from its entry.
        const ui::MenuNamed rowMenu{window, "reminderRowMenu"};
        openMenuOn("pending:Feed the cat", rowMenu);
        QObject* opened = rowMenu;
        for (int level = 0; level < 2; ++level) {
            QQuickItem* entry = nullptr;
            for (QQuickItem* item : shownItems(opened))
                if (!entry && item->property("subMenu").value<QObject*>())
                    entry = item;
            QVERIFY(entry);
            QObject* submenu = entry->property("subMenu").value<QObject*>();
            click(window, entry);
            QTRY_VERIFY(isOpen(submenu));
            opened = submenu;
        }
        QVERIFY(ui::settle(window));
        const QList<Node> nodes = readTree(window);
        verifyAllNamed(window, nodes, "notification intervals");
        // The intervals are read by their titles alone, not by the symbols drawn before them.
        const QStringList items = namesOf(nodes, QAccessible::MenuItem);
        NotificationIntervalsModel* intervals = ui_.appView->reminderView()->oneTimeIntervals();
        QVERIFY(intervals->rowCount() > 0);
        for (int i = 0; i < intervals->rowCount(); ++i) {
            const QString title = intervals->data(intervals->index(i), Qt::DisplayRole).toString();
            QVERIFY2(items.contains(title), qPrintable(title + " in " + items.join(" | ")));
        }
        // So are the row menu's submenus.
        const MenuOffers offers = ui_.appView->reminderView()->rowMenu(pending->idText());
        for (const auto action :
             {ReminderView::MenuAction::CreateReminder, ReminderView::MenuAction::ChangeCategory})
            QVERIFY2(items.contains(offers.entry(int(action)).title),
                     qPrintable(items.join(" | ")));
    }

    // The phone's chart sheet over the list.
    void theChartSheetIsNamed() {
        ui_.fixture.add("Pets", "Feed the cat");
        ui_.fixture.save();
        ui_.phase = std::make_unique<ScenePhaseSource>();
        ui_.appView = std::make_unique<AppView>(ui_.fixture.context(), ui_.phase.get(),
                                                UIUserInterfaceIdiom::Phone, ui_.fixture.services);
        ui_.engine = std::make_unique<QQmlApplicationEngine>();
        ui_.window = ui::show(*ui_.engine, *ui_.appView);
        QVERIFY(ui_.window);
        click(ui_.window, ui_.row("row:Pets"));
        QTRY_VERIFY(find(ui_.window, "chartButton") &&
                    find(ui_.window, "chartButton")->isVisible());
        click(ui_.window, find(ui_.window, "chartButton"));
        QTRY_VERIFY(ui_.row("chartRow:Feed the cat"));
        const QList<Node> nodes = readTree(ui_.window);
        verifyAllNamed(ui_.window, nodes, "chart sheet");
        QVERIFY(namesOf(nodes, QAccessible::ListItem).contains("Feed the cat"));
        QCOMPARE(namesOf(nodes, QAccessible::PageTab).size(), 2);
        const QStringList charts = namesOf(nodes, QAccessible::Chart);
        QVERIFY2(charts.size() == 1 && charts.first().startsWith("Pets"),
                 qPrintable(charts.join(" | ")));
    }

    // Both widget families as the host shows them.
    void theWidgetFamiliesAreNamed() {
        ModelConfiguration configuration; // the default store, the one the widget reads
        configuration.autosaveEnabled = false;
        QString error;
        auto store = NudgeboxStore::open(configuration, &error);
        QVERIFY2(store, qPrintable(error));
        store->mainContext()->insert(std::make_shared<Reminder>("Pets", false, QUuid::createUuid(),
                                                                0, QStringLiteral("Walk the dog")));
        store->mainContext()->insert(std::make_shared<Reminder>("Pets", true, QUuid::createUuid(),
                                                                1, QStringLiteral("Done")));
        QVERIFY(store->mainContext()->save());

        QQmlEngine engine;
        engine.addImportPath(QStringLiteral(GLANCE_IMPORT_PATH));
        WidgetHost host(&engine);
        QVERIFY2(host.load({}, &error), qPrintable(error));
        host.reloadTimelines();
        host.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.window()));
        QVERIFY(ui::settle(host.window()));
        const QList<Node> nodes = readTree(host.window());
        verifyAllNamed(host.window(), nodes, "widget host");
        QVERIFY2(namesOf(nodes, QAccessible::Button).contains("Walk the dog"),
                 qPrintable(namesOf(nodes, QAccessible::Button).join(" | ")));
        QVERIFY(namesOf(nodes, QAccessible::Chart).contains("50% completed"));
    }

    // A larger desktop text size makes every row taller, on start and while running.
    void rowsFollowTheDesktopTextSize() {
        ui_.fixture.add("Pets", "Feed the cat");
        ui_.fixture.save();
        QFont font = startFont_;
        font.setPointSizeF(10);
        QGuiApplication::setFont(font);
        QVERIFY(ui_.open("Pets"));
        const QStringList rows{"row:Pets", "othersHeader", "pending:Feed the cat",
                               "chartRow:Feed the cat"};
        QList<qreal> small;
        for (const QString& name : rows)
            small << ui_.row(name)->height();

        // Changed while the window is open.
        font.setPointSizeF(20);
        QGuiApplication::setFont(font);
        for (int i = 0; i < rows.size(); ++i)
            QTRY_VERIFY2(ui_.row(rows[i])->height() > small[i] * 1.5, qPrintable(rows[i]));

        // And on the next start.
        ui_.close();
        QVERIFY(ui_.open("Pets"));
        for (int i = 0; i < rows.size(); ++i)
            QVERIFY2(ui_.row(rows[i])->height() > small[i] * 1.5, qPrintable(rows[i]));
    }
};

QTEST_MAIN(UiAccessibilityTest)
#include "tst_ui_accessibility.moc"
