#pragma once

#include "CategoryListModel.h"
#include "ChartView.h"
#include "MenuOffers.h"
#include "NotificationIntervalsModel.h"
#include "PieChartData.h"
#include "PlatformServices.h"
#include "Reminder.h"
#include "ReminderActions.h"
#include "ReminderCategory.h"
#include "ReminderGroupsModel.h"
#include "ReminderListModel.h"
#include "SettingsKeys.h"
#include "UIDevice.h"
#include "store/Query.h"
#include "ui/CoalescedCall.h"
#include "ui/ScenePhase.h"
#include "ui/State.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The reminder list of the selected category: the add row, the Pending and Completed groups,
// every editing operation, what the row, header and information menus offer, the toolbar and
// the information links. Operations name their reminder by its id text; an id text that names
// no reminder changes nothing.
class ReminderView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("ReminderView is created by AppView")
    Q_PROPERTY(UIDevice::UIUserInterfaceIdiom device READ idiom CONSTANT)
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY selectedCategoryChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(QString textField READ textField WRITE setTextField NOTIFY textFieldChanged)
    Q_PROPERTY(bool isTextFieldFocused READ isTextFieldFocused WRITE setIsTextFieldFocused NOTIFY
                   isTextFieldFocusedChanged)
    Q_PROPERTY(bool isPendingExpanded READ isPendingExpanded NOTIFY isPendingExpandedChanged)
    Q_PROPERTY(bool isCompletedExpanded READ isCompletedExpanded NOTIFY isCompletedExpandedChanged)
    Q_PROPERTY(bool showPieChartSheet READ showPieChartSheet WRITE setShowPieChartSheet NOTIFY
                   showPieChartSheetChanged)
    Q_PROPERTY(ChartView* sheetChartView READ sheetChartView NOTIFY showPieChartSheetChanged)
    Q_PROPERTY(bool isEditing READ isEditing WRITE setIsEditing NOTIFY isEditingChanged)
    Q_PROPERTY(ReminderGroupsModel* groups READ groups CONSTANT)
    Q_PROPERTY(int pendingCount READ pendingCount NOTIFY listsChanged)
    Q_PROPERTY(int completedCount READ completedCount NOTIFY listsChanged)
    Q_PROPERTY(bool showsPendingGroup READ showsPendingGroup NOTIFY listsChanged)
    Q_PROPERTY(bool showsCompletedGroup READ showsCompletedGroup NOTIFY listsChanged)
    Q_PROPERTY(bool showsEditButton READ showsEditButton NOTIFY listsChanged)
    Q_PROPERTY(bool showsChartButton READ showsChartButton CONSTANT)
    Q_PROPERTY(bool pasteShowsTitle READ pasteShowsTitle CONSTANT)
    Q_PROPERTY(MenuOffers pendingHeaderMenu READ pendingHeaderMenu NOTIFY menusChanged)
    Q_PROPERTY(MenuOffers completedHeaderMenu READ completedHeaderMenu NOTIFY menusChanged)
    Q_PROPERTY(MenuOffers informationMenu READ informationMenu CONSTANT)
    Q_PROPERTY(NotificationIntervalsModel* oneTimeIntervals READ oneTimeIntervals CONSTANT)
    Q_PROPERTY(NotificationIntervalsModel* repeatingIntervals READ repeatingIntervals CONSTANT)
    Q_PROPERTY(CategoryListModel* categoryChoices READ categoryChoices CONSTANT)

public:
    enum class Section { Pending, Completed };
    Q_ENUM(Section)
    // The entries of the row, header and information menus.
    enum class MenuAction {
        CreateReminder,
        ChangeCategory,
        CopyToClipboard,
        MarkAsCompleted,
        DeleteReminder,
        ToggleSection,
        MarkAllAsCompleted,
        DeleteAllReminders,
        ContactDetails,
        PrivacyPolicy
    };
    Q_ENUM(MenuAction)

    ReminderView(Binding<PieChartSlices> pieChartData,
                 Binding<std::optional<ReminderCategory>> selectedCategory,
                 Query<Reminder>* reminders, ScenePhaseSource* scenePhase,
                 UIUserInterfaceIdiom device, PlatformServices& services,
                 QObject* parent = nullptr);

    const UIUserInterfaceIdiom device;
    UIUserInterfaceIdiom idiom() const { return device; }
    const std::optional<QUrl> contact;
    const std::optional<QUrl> privacyPolicy;
    // Keys of the main localisation table too, so that a translation can point elsewhere.
    static QString contactPageText() {
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Localizable", "https://nudgebox.org/contact"));
    }
    static QString privacyPolicyPageText() {
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Localizable", "https://nudgebox.org/privacy"));
    }
    // The text looked up in the main localisation table, then parsed; nothing if not a URL.
    static std::optional<QUrl> localizedUrl(const QString& text);

    bool hasSelection() const { return selectedCategory_.value().has_value(); }
    QString searchText() const { return searchText_; }
    void setSearchText(const QString& text);
    QString textField() const { return textField_; }
    void setTextField(const QString& text);
    bool isTextFieldFocused() const { return isTextFieldFocused_; }
    void setIsTextFieldFocused(bool focused);
    bool isPendingExpanded() const { return isPendingExpanded_.value(); }
    bool isCompletedExpanded() const { return isCompletedExpanded_.value(); }
    bool showPieChartSheet() const { return showPieChartSheet_; }
    // The overview shown in the sheet: made anew each time the sheet opens.
    ChartView* sheetChartView() const { return sheetChartView_; }
    // Opening needs the chart button and a selected category; the sheet closes with the
    // selection.
    void setShowPieChartSheet(bool shown);
    bool isEditing() const { return isEditing_; }
    void setIsEditing(bool editing);

    // The groups of the selected category, in query order; the search does not change them.
    QList<std::shared_ptr<Reminder>> pendingList() const;
    QList<std::shared_ptr<Reminder>> completedList() const;
    QList<std::shared_ptr<Reminder>> list(Section section) const;
    // The rows as drawn, each with whether the search shows it.
    ReminderListModel* pendingRows() { return &pendingRows_; }
    ReminderListModel* completedRows() { return &completedRows_; }
    int pendingCount() const { return int(pendingRows_.rows().size()); }
    int completedCount() const { return int(completedRows_.rows().size()); }
    // Both groups with their headers, as drawn.
    ReminderGroupsModel* groups() { return &groups_; }
    // Refreshes whose rows followed a few changed reminders instead of being made again.
    quint64 refreshesFollowed() const { return actions_.refreshesFollowed(); }
    bool showsPendingGroup() const { return !pendingRows_.rows().isEmpty(); }
    bool showsCompletedGroup() const { return !completedRows_.rows().isEmpty(); }
    bool showsEditButton() const { return showsPendingGroup() || showsCompletedGroup(); }
    bool showsChartButton() const { return device == UIUserInterfaceIdiom::Phone; }
    bool pasteShowsTitle() const { return device != UIUserInterfaceIdiom::Phone; }
    // A fixed title of the screen, looked up in the main localisation table.
    Q_INVOKABLE QString title(const QString& key) const;

    // What the menus offer now: a reminder's row (nothing for an unknown id), a group's header
    // and the information menu. The row menu's submenus list these models.
    Q_INVOKABLE MenuOffers rowMenu(const QString& id) const;
    Q_INVOKABLE MenuOffers headerMenu(ReminderView::Section section) const;
    MenuOffers pendingHeaderMenu() const { return headerMenu(Section::Pending); }
    MenuOffers completedHeaderMenu() const { return headerMenu(Section::Completed); }
    MenuOffers informationMenu() const;
    NotificationIntervalsModel* oneTimeIntervals() { return &oneTimeIntervals_; }
    NotificationIntervalsModel* repeatingIntervals() { return &repeatingIntervals_; }
    // All thirty categories sorted by shown name, for "Change category".
    CategoryListModel* categoryChoices() { return &categoryChoices_; }

    Q_INVOKABLE void addReminder();
    Q_INVOKABLE void pasteIntoTextField(const QStringList& texts);
    Q_INVOKABLE void pasteFromPasteboard();
    Q_INVOKABLE void toggleCompletion(const QString& id);
    Q_INVOKABLE void markAllAsCompleted();
    // A raw value that is no category changes nothing.
    Q_INVOKABLE void changeCategory(const QString& id, const QString& rawValue);
    Q_INVOKABLE void copyToClipboard(const QString& id);
    Q_INVOKABLE void deleteReminder(const QString& id);
    Q_INVOKABLE void deleteAllReminders(ReminderView::Section section);
    Q_INVOKABLE void toggleSection(ReminderView::Section section);
    // A swipe on the reminder's row: deleteRemindersAtOffsets with its offset in its group as
    // the group stands now.
    Q_INVOKABLE void deleteBySwipe(const QString& id);
    // A drag of the reminder's row to destination, a position in its own group counted
    // before the move: moveReminders with its offset as the group stands now.
    Q_INVOKABLE void moveReminder(const QString& id, int destination);
    // The reminder one place up (step < 0) or down (step > 0) in its group; past either end
    // nothing moves.
    Q_INVOKABLE void moveReminderBy(const QString& id, int step);
    // A row dropped on the entry at entryIndex of groups(): to that entry's place in the
    // reminder's own group, or to its top on the group's header. A drop on the other group
    // changes nothing.
    Q_INVOKABLE void dropReminder(const QString& id, int entryIndex);
    Q_INVOKABLE void scheduleNotification(const QString& id, qint64 seconds, bool repeats);
    Q_INVOKABLE void openContact();
    Q_INVOKABLE void openPrivacyPolicy();
    // Offsets count in the section's unfiltered list, whatever the search hides.
    void deleteRemindersAtOffsets(Section section, QList<int> offsets);
    void moveReminders(Section section, QList<int> sources, int destination);

    Q_INVOKABLE void onAppear();
    void applyCompletedReminders();
    void updatePieChartData();

signals:
    void selectedCategoryChanged();
    void searchTextChanged();
    void textFieldChanged();
    void isTextFieldFocusedChanged();
    void isPendingExpandedChanged();
    void isCompletedExpandedChanged();
    void showPieChartSheetChanged();
    void isEditingChanged();
    void listsChanged();
    void menusChanged();

private:
    void selectionChanged();
    void refreshLists();
    // Brings the rows up to date from the reminders changed since they were made, when they
    // were made on this basis and only a few changed; false when they must be made again.
    bool followChanges(const ReminderActions::RowBasis& basis);
    void refreshGroups();
    ReminderGroupsModel::Group pendingGroup() const;
    ReminderGroupsModel::Group completedGroup() const;
    // A group read in place, valid until the context next changes: the moves and look-ups
    // that run on every key press copy no handles.
    std::vector<Reminder*> groupInPlace(Section section) const;
    // Where a reminder of this screen's category is drawn: its group, its offset there, and
    // the group itself, read once for the move that follows.
    struct Place {
        Section section;
        int offset;
        std::vector<Reminder*> group;
    };
    std::optional<Place> placeOf(const QString& id) const;
    // moveReminders over a group already read in place.
    void moveInGroup(std::vector<Reminder*> items, QList<int> sources, int destination);

    Binding<PieChartSlices> pieChartData_;
    Binding<std::optional<ReminderCategory>> selectedCategory_;
    std::optional<ReminderCategory> previousSelection_;
    Query<Reminder>* reminders_;
    PlatformServices& services_;
    ReminderActions actions_;
    AppStorage<QStringList> completedReminders_;
    AppStorage<bool> isPendingExpanded_;
    AppStorage<bool> isCompletedExpanded_;
    QString searchText_;
    QString textField_;
    bool isTextFieldFocused_ = false;
    bool showPieChartSheet_ = false;
    bool isEditing_ = false;
    QPointer<ChartView> sheetChartView_;
    ReminderListModel pendingRows_;
    ReminderListModel completedRows_;
    ReminderGroupsModel groups_;
    NotificationIntervalsModel oneTimeIntervals_;
    NotificationIntervalsModel repeatingIntervals_;
    CategoryListModel categoryChoices_;
    CoalescedCall refresh_{this, [this] { refreshLists(); }};
};
