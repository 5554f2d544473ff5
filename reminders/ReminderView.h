#pragma once

#include "ChartView.h"
#include "PieChartData.h"
#include "Reminder.h"
#include "ReminderCategory.h"
#include "ReminderGroupsModel.h"
#include "ReminderListModel.h"
#include "SettingsKeys.h"
#include "UIDevice.h"
#include "store/Query.h"
#include "ui/CoalescedCall.h"
#include "ui/MenuEntry.h"
#include "ui/ScenePhase.h"
#include "ui/State.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The reminder list of the selected category: the add row, the Pending and Completed groups,
// every editing operation, the notification menus, the toolbar and the information links.
class ReminderView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("ReminderView is created by AppView")
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY selectedCategoryChanged)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(QString textField READ textField WRITE setTextField NOTIFY textFieldChanged)
    Q_PROPERTY(bool isTextFieldFocused READ isTextFieldFocused WRITE setIsTextFieldFocused NOTIFY
                   isTextFieldFocusedChanged)
    Q_PROPERTY(bool isPendingExpanded READ isPendingExpanded WRITE setIsPendingExpanded NOTIFY
                   isPendingExpandedChanged)
    Q_PROPERTY(bool isCompletedExpanded READ isCompletedExpanded WRITE setIsCompletedExpanded NOTIFY
                   isCompletedExpandedChanged)
    Q_PROPERTY(bool showPieChartSheet READ showPieChartSheet WRITE setShowPieChartSheet NOTIFY
                   showPieChartSheetChanged)
    Q_PROPERTY(ChartView* sheetChartView READ sheetChartView NOTIFY showPieChartSheetChanged)
    Q_PROPERTY(bool isEditing READ isEditing WRITE setIsEditing NOTIFY isEditingChanged)
    Q_PROPERTY(ReminderListModel* pendingRows READ pendingRows CONSTANT)
    Q_PROPERTY(ReminderListModel* completedRows READ completedRows CONSTANT)
    Q_PROPERTY(ReminderGroupsModel* groups READ groups CONSTANT)
    Q_PROPERTY(bool showsPendingGroup READ showsPendingGroup NOTIFY listsChanged)
    Q_PROPERTY(bool showsCompletedGroup READ showsCompletedGroup NOTIFY listsChanged)
    Q_PROPERTY(bool showsEditButton READ showsEditButton NOTIFY listsChanged)
    Q_PROPERTY(bool showsChartButton READ showsChartButton CONSTANT)
    Q_PROPERTY(bool pasteShowsTitle READ pasteShowsTitle CONSTANT)
    Q_PROPERTY(QVariantMap titles READ titles CONSTANT)

public:
    enum class Section { pending, completed };

    ReminderView(Binding<PieChartSlices> pieChartData,
                 Binding<std::optional<ReminderCategory>> selectedCategory,
                 Query<Reminder>* reminders, ScenePhaseSource* scenePhase,
                 UIUserInterfaceIdiom device, QObject* parent = nullptr);

    const UIUserInterfaceIdiom device;
    const std::optional<QUrl> contact;
    const std::optional<QUrl> privacyPolicy;
    static QString contactPageText() { return QStringLiteral("https://nudgebox.org/contact"); }
    static QString privacyPolicyPageText() {
        return QStringLiteral("https://nudgebox.org/privacy");
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
    void setIsPendingExpanded(bool expanded) { isPendingExpanded_.setValue(expanded); }
    bool isCompletedExpanded() const { return isCompletedExpanded_.value(); }
    void setIsCompletedExpanded(bool expanded) { isCompletedExpanded_.setValue(expanded); }
    bool showPieChartSheet() const { return showPieChartSheet_; }
    // The overview shown in the sheet: made anew each time the sheet opens.
    ChartView* sheetChartView() const { return sheetChartView_; }
    void setShowPieChartSheet(bool shown);
    bool isEditing() const { return isEditing_; }
    void setIsEditing(bool editing);

    // The groups of the selected category, in query order; the search does not change them.
    QList<std::shared_ptr<Reminder>> pendingList() const;
    QList<std::shared_ptr<Reminder>> completedList() const;
    QList<std::shared_ptr<Reminder>> list(Section section) const;
    ReminderListModel* pendingRows() { return &pendingRows_; }
    ReminderListModel* completedRows() { return &completedRows_; }
    // Both groups with their headers, as drawn.
    ReminderGroupsModel* groups() { return &groups_; }
    bool showsPendingGroup() const { return !pendingRows_.rows().isEmpty(); }
    bool showsCompletedGroup() const { return !completedRows_.rows().isEmpty(); }
    bool showsEditButton() const { return showsPendingGroup() || showsCompletedGroup(); }
    bool showsChartButton() const { return device == UIUserInterfaceIdiom::phone; }
    bool pasteShowsTitle() const { return device != UIUserInterfaceIdiom::phone; }
    QVariantMap titles() const;

    QList<MenuEntry> rowMenu(Section section) const;
    QList<MenuEntry> headerMenu(Section section) const;
    QList<MenuEntry> informationMenu() const;
    Q_INVOKABLE QVariantList rowMenuFor(bool completed) const;
    Q_INVOKABLE QVariantList headerMenuFor(bool completed) const;
    Q_INVOKABLE QVariantList informationMenuEntries() const;
    // A menu entry's action on the row at offset of a group (-1 for the group header).
    Q_INVOKABLE void perform(const QString& action, bool completed, int offset);

    Q_INVOKABLE void addReminder();
    Q_INVOKABLE void pasteIntoTextField(const QStringList& texts);
    Q_INVOKABLE void pasteFromPasteboard();
    void toggleCompletion(const std::shared_ptr<Reminder>& reminder);
    void markAllAsCompleted();
    void changeCategory(const std::shared_ptr<Reminder>& reminder, ReminderCategory category);
    void copyToClipboard(const std::shared_ptr<Reminder>& reminder);
    void deleteReminder(const std::shared_ptr<Reminder>& reminder);
    void deleteAllReminders(Section section);
    void deleteRemindersAtOffsets(Section section, QList<int> offsets);
    void moveReminders(Section section, QList<int> sources, int destination);
    void scheduleNotification(const std::shared_ptr<Reminder>& reminder, qint64 seconds,
                              bool repeats);
    Q_INVOKABLE void deleteAt(bool completed, int offset);
    Q_INVOKABLE void move(bool completed, int source, int destination);

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

private:
    void performAction(const QString& action, bool completed, int offset);
    void selectionChanged();
    void refreshLists();
    void refreshGroups();
    std::shared_ptr<Reminder> at(Section section, int offset) const;
    bool save();

    Binding<PieChartSlices> pieChartData_;
    Binding<std::optional<ReminderCategory>> selectedCategory_;
    std::optional<ReminderCategory> previousSelection_;
    Query<Reminder>* reminders_;
    ModelContext* modelContext_;
    AppStorage<QStringList> completedReminders_;
    AppStorage<bool> isPendingExpanded_;
    AppStorage<bool> isCompletedExpanded_;
    QString searchText_;
    QString textField_;
    bool isTextFieldFocused_ = false;
    bool showPieChartSheet_ = false;
    bool isEditing_ = false;
    std::unique_ptr<Query<Reminder>> sheetReminders_;
    QPointer<ChartView> sheetChartView_;
    ReminderListModel pendingRows_;
    ReminderListModel completedRows_;
    ReminderGroupsModel groups_;
    CoalescedCall refresh_{this, [this] { refreshLists(); }};
};
