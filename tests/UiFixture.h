#pragma once

// What the suites that drive the real window share: loading it offscreen, finding items in
// its visual tree, real mouse, key and touch input, reading the menus as drawn, and a
// snapshot of everything a gesture could change.
#include "AppView.h"
#include "ChartView.h"
#include "Favorite.h"
#include "MainView.h"
#include "MenuOffers.h"
#include "ReminderView.h"
#include "ScreenFixture.h"

#include <QDebug>
#include <QPointingDevice>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtQml/QQmlExtensionPlugin>

namespace ui {

// Walks the visual tree: delegates of repeaters and views have no QObject parent to search.
inline QQuickItem* findIn(QQuickItem* item, const QString& name) {
    if (item->objectName() == name)
        return item;
    for (QQuickItem* child : item->childItems())
        if (QQuickItem* found = findIn(child, name))
            return found;
    return nullptr;
}
inline QQuickItem* find(QQuickWindow* window, const QString& name) {
    return findIn(window->contentItem(), name);
}
// The one visible item of that name; null while there is none or, as when a list has just
// rebuilt a row and the old one is not yet gone, more than one.
inline QQuickItem* findOnly(QQuickWindow* window, const QString& name) {
    QList<QQuickItem*> found;
    std::function<void(QQuickItem*)> walk = [&](QQuickItem* item) {
        if (item->objectName() == name && item->isVisible())
            found << item;
        for (QQuickItem* child : item->childItems())
            walk(child);
    };
    walk(window->contentItem());
    return found.size() == 1 ? found.first() : nullptr;
}

// Loads the application's QML for appView; the window once it is exposed, else null.
inline QQuickWindow* show(QQmlApplicationEngine& engine, AppView& appView) {
    engine.setInitialProperties({{"appView", QVariant::fromValue(&appView)}});
    engine.load(QUrl(QStringLiteral("qrc:/Nudgebox/ContentView.qml")));
    if (engine.rootObjects().size() != 1)
        return nullptr;
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    return window && QTest::qWaitForWindowExposed(window) ? window : nullptr;
}

// Waits for the window to lay out and draw what changed, so positions read next are the
// ones drawn.
inline bool settle(QQuickWindow* window) {
    for (int frame = 0; frame < 2; ++frame) {
        QSignalSpy swapped(window, &QQuickWindow::frameSwapped);
        window->update();
        if (!swapped.wait(2000))
            return false;
    }
    return true;
}

inline QPoint centreOf(QQuickItem* item) {
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}
inline void click(QQuickWindow* window, QQuickItem* item, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(window, button, {}, centreOf(item));
}
inline void type(QQuickWindow* window, const QString& text) {
    for (QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

// A drag with the mouse from one scene point to another in small steps, as a hand moves.
inline void mouseDrag(QQuickWindow* window, QPoint from, QPoint to) {
    QTest::mousePress(window, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 12; ++step)
        QTest::mouseMove(window, from + (to - from) * step / 12, 15);
    QTest::mouseRelease(window, Qt::LeftButton, {}, to, 15);
}
// The same with one finger.
inline void touchDrag(QQuickWindow* window, QPointingDevice* screen, QPoint from, QPoint to) {
    QTest::touchEvent(window, screen).press(0, from, window);
    for (int step = 1; step <= 12; ++step) {
        QTest::qWait(15); // touch moves need time between them to count as a swipe's velocity
        QTest::touchEvent(window, screen).move(0, from + (to - from) * step / 12, window);
    }
    QTest::touchEvent(window, screen).release(0, to, window);
}
inline void tap(QQuickWindow* window, QPointingDevice* screen, QPoint at) {
    QTest::touchEvent(window, screen).press(0, at, window);
    QTest::touchEvent(window, screen).release(0, at, window);
}

// The entries a menu shows now, in order: its visible items.
inline QList<QQuickItem*> shownItems(QObject* menu) {
    QList<QQuickItem*> items;
    const int count = menu->property("count").toInt();
    for (int i = 0; i < count; ++i) {
        QQuickItem* item = nullptr;
        QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem*, item), Q_ARG(int, i));
        if (item && item->isVisible() && item->height() > 0)
            items << item;
    }
    return items;
}
// Whether the menu shows exactly the offered entries, in order (texts carry a symbol first).
inline bool showsExactly(QObject* menu, const MenuOffers& offers) {
    const auto items = shownItems(menu);
    const QStringList titles = offers.titles();
    if (items.size() != titles.size())
        return false;
    for (qsizetype i = 0; i < items.size(); ++i)
        if (!items[i]->property("text").toString().endsWith(titles[i]))
            return false;
    return true;
}
inline QQuickItem* shownItem(QObject* menu, const QString& title) {
    for (QQuickItem* item : shownItems(menu))
        if (item->property("text").toString().endsWith(title))
            return item;
    return nullptr;
}
inline bool isOpen(QObject* menu) {
    return menu && menu->property("opened").toBool();
}
// A context menu is built the first time it opens: found by its name whenever it is used.
class MenuNamed {
public:
    MenuNamed(QObject* window, const char* name)
        : window_(window)
        , name_(QString::fromLatin1(name)) {}
    operator QObject*() const { return window_->findChild<QObject*>(name_); }
    QObject* operator->() const { return *this; }

private:
    QObject* window_;
    QString name_;
};

// Every stored reminder and favourite and every setting a screen writes, as text: equal
// snapshots mean a gesture changed nothing.
inline QStringList snapshot(ModelContext* context) {
    QStringList lines;
    for (const auto& r : context->fetch<Reminder>())
        lines << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(r->idText(), r->text(), r->category())
                     .arg(r->completed())
                     .arg(r->orderIndex());
    for (const auto& f : context->fetch<Favorite>())
        lines << QStringLiteral("favorite|") + f->category();
    lines.sort();
    UserDefaults standard;
    for (const char* key :
         {"defaultCategory", "isFavoritesExpanded", "isOthersExpanded", "isCompletedExpanded",
          "isPendingExpanded", "filterByCompletedStatus"}) {
        QString value;
        QDebug(&value) << standard.value(QString::fromLatin1(key));
        lines << QString::fromLatin1(key) + u'=' + value;
    }
    QString shared;
    QDebug(&shared) << UserDefaults(AppGroup::identifier()).value("completedReminders");
    lines << QStringLiteral("completedReminders=") + shared;
    lines << QStringLiteral("unsaved=%1").arg(context->hasChanges());
    return lines;
}

// Texts of the selected category's group, in order.
inline QStringList pendingTexts(ReminderView* view) {
    return texts(view->pendingList());
}

// The application's window on a tablet over a fresh store, with helpers that wait until what
// they return is drawn where it stays.
class UiWindow {
public:
    ScreenFixture fixture;
    std::unique_ptr<ScenePhaseSource> phase;
    std::unique_ptr<AppView> appView;
    std::unique_ptr<QQmlApplicationEngine> engine;
    QQuickWindow* window = nullptr;

    // Opens the window with category selected (none for an empty text), once it is drawn.
    bool open(const QString& category = {}) {
        phase = std::make_unique<ScenePhaseSource>();
        appView = std::make_unique<AppView>(fixture.context(), phase.get(),
                                            UIUserInterfaceIdiom::Pad, fixture.services);
        engine = std::make_unique<QQmlApplicationEngine>();
        window = show(*engine, *appView);
        if (!window)
            return false;
        if (category.isEmpty())
            return settle(window);
        appView->mainView()->select(category);
        return QTest::qWaitFor([&] {
            QQuickItem* field = find(window, "addField");
            return field && field->isVisible();
        });
    }
    void close() {
        engine.reset();
        appView.reset();
        phase.reset();
        window = nullptr;
    }
    // The row or header of that name once it is the only one and drawn where it stays.
    QQuickItem* row(const QString& name) {
        QQuickItem* item = nullptr;
        const bool found = QTest::qWaitFor([&] {
            item = findOnly(window, name);
            return item && settle(window) && findOnly(window, name) == item;
        });
        return found ? item : nullptr;
    }
    // Clicks the menu's entry and waits for the menu to be gone, so the next one opens alone.
    void choose(QObject* menu, const QString& title) {
        QVERIFY(settle(window));
        QQuickItem* item = shownItem(menu, title);
        QVERIFY2(item, qPrintable(title));
        click(window, item);
        QTRY_VERIFY(!menu->property("visible").toBool());
    }
};

} // namespace ui
