#pragma once

#include "MenuOffers.h"
#include "PieChartData.h"
#include "PlatformServices.h"
#include "Reminder.h"
#include "ReminderActions.h"
#include "ReminderCategory.h"
#include "ReminderListModel.h"
#include "SettingsKeys.h"
#include "TextRules.h"
#include "UIDevice.h"
#include "store/Query.h"
#include "ui/CoalescedCall.h"
#include "ui/State.h"

#include <QObject>
#include <QSet>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

// The overview of the selected category: the completion ring with the category's name and
// percentage, the status switch, and the filtered list with its selection and bulk actions.
// Operations name their reminder by its id text; an id text that names no reminder changes
// nothing.
class ChartView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("ChartView is created by AppView and ReminderView")
    Q_PROPERTY(UIDevice::UIUserInterfaceIdiom device READ idiom CONSTANT)
    Q_PROPERTY(ScreenState screenState READ screenState NOTIFY changed)
    Q_PROPERTY(int statusSwitchIndex READ statusSwitchIndex WRITE setFilterByCompletedStatus NOTIFY
                   changed)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY changed)
    Q_PROPERTY(bool isEditing READ isEditing WRITE setIsEditing NOTIFY changed)
    Q_PROPERTY(ReminderListModel* rows READ rows CONSTANT)
    Q_PROPERTY(QVariantList chartSlices READ chartSlices NOTIFY slicesChanged)
    Q_PROPERTY(QString centreName READ centreName NOTIFY changed)
    Q_PROPERTY(QString centrePercentage READ centrePercentage NOTIFY changed)
    Q_PROPERTY(bool showsBulkDelete READ showsBulkDelete NOTIFY changed)
    Q_PROPERTY(bool showsBulkComplete READ showsBulkComplete NOTIFY changed)
    Q_PROPERTY(bool showsEditButton READ showsEditButton NOTIFY changed)
    Q_PROPERTY(bool showsSeparators READ showsSeparators NOTIFY changed)

public:
    enum class ScreenState { NoCategory, NoReminders, Chart };
    Q_ENUM(ScreenState)
    // The entries of a row's menu.
    enum class MenuAction { CopyToClipboard, MarkAsCompleted, DeleteReminder };
    Q_ENUM(MenuAction)

    ChartView(Binding<PieChartSlices> pieChartData,
              Binding<std::optional<ReminderCategory>> selectedCategory, Query<Reminder>* reminders,
              UIUserInterfaceIdiom device, PlatformServices& services, QObject* parent = nullptr);

    const UIUserInterfaceIdiom device;
    UIUserInterfaceIdiom idiom() const { return device; }

    ScreenState screenState() const;
    qint64 filterByCompletedStatus() const { return filterByCompletedStatus_.value(); }
    void setFilterByCompletedStatus(qint64 value) { filterByCompletedStatus_.setValue(value); }
    // The switch's segment: 0 "Completed", 1 "Still pending", -1 for any other stored value.
    int statusSwitchIndex() const;
    QString searchText() const { return searchText_; }
    void setSearchText(const QString& text);
    bool isEditing() const { return isEditing_; }
    void setIsEditing(bool editing);
    // Ids of selected reminders; one that stops being shown leaves it, ids of reminders that
    // no longer exist (a bulk delete's) stay.
    const QSet<QUuid>& multiSelection() const { return multiSelection_; }
    // Selects or deselects a reminder's row; an unknown id changes nothing.
    Q_INVOKABLE void setSelected(const QString& id, bool selected);
    Q_INVOKABLE void toggleSelected(const QString& id);

    // The selected category's reminders in query (text) order; the filters do not apply.
    // Calls visit for each reminder the rows show, in their order.
    void visitShownRows(const std::function<void(Reminder*)>& visit) const;
    // Whether the overview lists a reminder of the selected category: the switch (its
    // setting, read once by the caller) and the search decide.
    bool shows(const Reminder& reminder, qint64 filter, const TextRules::Search& search) const;
    qint64 categoryCount() const;
    // The category reminders passing the search and the status switch.
    QList<std::shared_ptr<Reminder>> shownRows() const;
    ReminderListModel* rows() { return &rows_; }
    // Refreshes whose rows followed a few changed reminders instead of being made again.
    quint64 refreshesFollowed() const { return actions_.refreshesFollowed(); }
    QVariantList chartSlices() const;
    QString centreName() const;
    // From the records, not the slices; empty when the category has no reminders.
    QString centrePercentage() const;
    // The bulk actions are offered while a shown row is selected.
    bool showsBulkDelete() const { return showsSelection_; }
    bool showsBulkComplete() const { return showsBulkDelete() && filterByCompletedStatus() == 1; }
    bool showsEditButton() const { return categoryCount() > 0; }
    bool showsSeparators() const;
    // A fixed title of the screen, looked up in the main localisation table.
    Q_INVOKABLE QString title(const QString& key) const;

    // What a reminder's row menu offers now; nothing for an unknown id.
    Q_INVOKABLE MenuOffers rowMenu(const QString& id) const;

    Q_INVOKABLE void toggleCompletion(const QString& id);
    Q_INVOKABLE void copyToClipboard(const QString& id);
    Q_INVOKABLE void deleteReminder(const QString& id);
    // The toolbar's bulk actions on the selection; the selection itself is left as it is.
    Q_INVOKABLE void deleteSelection();
    Q_INVOKABLE void completeSelection();
    // Runs action on every shown row whose reminder is selected, then saves once; hidden
    // reminders are never touched, whatever the selection holds.
    void applyToSelection(const std::function<void(const std::shared_ptr<Reminder>&)>& action);
    void updatePieChartData();

signals:
    void changed();
    void slicesChanged();

private:
    void refresh();
    using RowBasis = ReminderActions::RowBasis;
    RowBasis rowBasis() const;
    // Brings the rows up to date from the reminders changed since they were made, when only
    // a few changed on the same basis; false when they must be made again.
    bool followChanges(const RowBasis& basis);

    Binding<PieChartSlices> pieChartData_;
    Binding<std::optional<ReminderCategory>> selectedCategory_;
    Query<Reminder>* reminders_;
    ReminderActions actions_;
    AppStorage<qint64> filterByCompletedStatus_;
    QSet<QUuid> multiSelection_;
    QString searchText_;
    bool isEditing_ = false;
    bool showsSelection_ = false;
    ReminderListModel rows_;
    CoalescedCall refresh_{this, [this] { refresh(); }};
};
