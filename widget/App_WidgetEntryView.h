#pragma once

#include "PieChartData.h"
#include "Reminder.h"
#include "widgets/WidgetKit.h"

#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class PlatformServices;
template <class T> class Query;

// What one drawing of the widget shows, read from the store and the shared suite when the
// view is made: the ring of all reminders (small) or the last eight pending ones (large).
class App_WidgetEntryView : public QObject {
    Q_OBJECT
    // In QML apart from the file App_WidgetEntryView.qml, which draws it.
    QML_NAMED_ELEMENT(WidgetEntry)
    QML_UNCREATABLE("made by App_Widget for each entry")
    Q_PROPERTY(WidgetKit::WidgetFamily widgetFamily READ family CONSTANT)
    Q_PROPERTY(SmallState smallState READ smallState CONSTANT)
    Q_PROPERTY(QVariantList pieChartData READ pieChartDataVariant NOTIFY pieChartDataChanged)
    Q_PROPERTY(QString percentageText READ percentageText CONSTANT)
    Q_PROPERTY(QVariantList rows READ rowsVariant CONSTANT)
    Q_PROPERTY(QString noRemindersText READ noRemindersText CONSTANT)
    Q_PROPERTY(QString noPendingText READ noPendingText CONSTANT)
    Q_PROPERTY(QString nameText READ nameText CONSTANT)

public:
    enum class SmallState { NoReminders, NoPending, Chart };
    Q_ENUM(SmallState)
    struct Row {
        QString idText;
        QString text;
        QString iconName;
    };

    // reminders: the widget's live query of all reminders (none: an unreadable store).
    App_WidgetEntryView(WidgetFamily family, Query<Reminder>* reminders, PlatformServices& services,
                        QObject* parent = nullptr);

    const WidgetFamily widgetFamily;
    WidgetFamily family() const { return widgetFamily; }

    SmallState smallState() const;
    // 100 × completed ÷ all, truncated; by the store's flags only.
    QString percentageText() const;
    // Pending and not yet handed over, in store order: the last eight.
    QList<Row> rows() const;
    const PieChartSlices& pieChartData() const { return pieChartData_; }
    QVariantList pieChartDataVariant() const;
    QString noRemindersText() const;
    QString noPendingText() const;
    // Any other family shows the widget's name, as is.
    QString nameText() const { return QStringLiteral("Nudgebox"); }
    QVariantList rowsVariant() const;
    // The icon of the category whose raw value matches the stored text in any letter case.
    static QString iconNameFor(const QString& storedCategory);

    // The counts of completed and pending reminders when the caller keeps them; otherwise the
    // view counts the query's results itself.
    void setCounts(qint64 completed, qint64 pending) { counts_ = Counts{completed, pending}; }

    // Each time the small stack comes on screen.
    Q_INVOKABLE void onAppear();
    // A row's button: runs the intent with the row's id text.
    Q_INVOKABLE void tap(const QString& idText);

signals:
    void pieChartDataChanged();

private:
    struct Counts {
        qint64 completed = 0, pending = 0;
    };
    const QList<std::shared_ptr<Reminder>>& reminders() const;
    Counts counts() const;

    Query<Reminder>* reminders_;
    PlatformServices& services_;
    QStringList completedReminders_;
    PieChartSlices pieChartData_;
    mutable std::optional<Counts> counts_;
};
