#include "ReminderView.h"

#include "ChartView.h"
#include "CompletedReminders.h"
#include "Console.h"
#include "Localization.h"
#include "NotificationIntervals.h"
#include "ReminderEdits.h"
#include "SaveStep.h"
#include "TextRules.h"
#include "UIApplication.h"
#include "UIPasteboard.h"
#include "UpdatePieChartData.h"
#include "notifications/UNUserNotificationCenter.h"
#include "widgets/WidgetCenter.h"

#include <QPointer>
#include <QVariantMap>

#include <algorithm>

namespace {
namespace Action {
const QString schedule = QStringLiteral("schedule:");
const QString changeCategory = QStringLiteral("changeCategory:");
const QString copy = QStringLiteral("copyToClipboard");
const QString toggle = QStringLiteral("toggleCompletion");
const QString remove = QStringLiteral("deleteReminder");
const QString toggleSection = QStringLiteral("toggleSection");
const QString markAll = QStringLiteral("markAllAsCompleted");
const QString removeAll = QStringLiteral("deleteAllReminders");
const QString openContact = QStringLiteral("openContact");
const QString openPrivacyPolicy = QStringLiteral("openPrivacyPolicy");
} // namespace Action

QString scheduleAction(qint64 seconds, bool repeats) {
    return Action::schedule + QString::number(seconds) +
           (repeats ? QStringLiteral(":1") : QStringLiteral(":0"));
}

QList<MenuEntry> intervalItems(const QList<NotificationInterval>& intervals, bool repeats) {
    QList<MenuEntry> items;
    for (const auto& interval : intervals)
        items.append(MenuEntry::localized(scheduleAction(interval.seconds, repeats), interval.title,
                                          QStringLiteral("bell.badge")));
    return items;
}
} // namespace

std::optional<QUrl> ReminderView::localizedUrl(const QString& text) {
    const QUrl url(NSLocalizedString(text), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return std::nullopt;
    return url;
}

ReminderView::ReminderView(Binding<PieChartSlices> pieChartData,
                           Binding<std::optional<ReminderCategory>> selectedCategory,
                           Query<Reminder>* reminders, ScenePhaseSource* scenePhase,
                           UIUserInterfaceIdiom device, QObject* parent)
    : QObject(parent)
    , device(device)
    , contact(localizedUrl(contactPageText()))
    , privacyPolicy(localizedUrl(privacyPolicyPageText()))
    , pieChartData_(pieChartData)
    , selectedCategory_(selectedCategory)
    , previousSelection_(selectedCategory.value())
    , reminders_(reminders)
    , modelContext_(reminders->modelContext())
    , completedReminders_(SettingsKeys::completedReminders)
    , isPendingExpanded_(SettingsKeys::isPendingExpanded,
                         [this] { emit isPendingExpandedChanged(); })
    , isCompletedExpanded_(SettingsKeys::isCompletedExpanded,
                           [this] { emit isCompletedExpandedChanged(); }) {
    connect(reminders_, &QueryBase::resultsChanged, this, [this] { refresh_.schedule(); });
    connect(selectedCategory_.notifier(), &BindingNotifier::changed, this,
            &ReminderView::selectionChanged);
    connect(this, &ReminderView::isPendingExpandedChanged, this, &ReminderView::refreshGroups);
    connect(this, &ReminderView::isCompletedExpandedChanged, this, &ReminderView::refreshGroups);
    if (scenePhase)
        connect(scenePhase, &ScenePhaseSource::phaseChanged, this, [this](ScenePhase phase) {
            // The handlers belong to the list, which exists only while a category is selected.
            if (phase == ScenePhase::active && hasSelection())
                applyCompletedReminders();
        });
    refreshLists();
}

void ReminderView::selectionChanged() {
    const auto now = selectedCategory_.value();
    const auto before = std::exchange(previousSelection_, now);
    refreshLists();
    emit selectedCategoryChanged();
    // From no selection the list comes on screen; to none it goes away and nothing runs.
    if (!before && now)
        onAppear();
    else if (before && now && before != now) {
        WidgetCenter::shared().reloadAllTimelines();
        updatePieChartData();
    }
}

void ReminderView::setSearchText(const QString& text) {
    if (text == searchText_)
        return;
    searchText_ = text;
    emit searchTextChanged();
    refreshLists();
}

void ReminderView::setTextField(const QString& text) {
    if (text == textField_)
        return;
    textField_ = text;
    emit textFieldChanged();
}

void ReminderView::setIsTextFieldFocused(bool focused) {
    if (focused == isTextFieldFocused_)
        return;
    isTextFieldFocused_ = focused;
    emit isTextFieldFocusedChanged();
    if (!focused)
        addReminder();
}

void ReminderView::setShowPieChartSheet(bool shown) {
    if (shown == showPieChartSheet_)
        return;
    showPieChartSheet_ = shown;
    if (shown) {
        sheetReminders_ = std::make_unique<Query<Reminder>>(
            modelContext_,
            SortDescriptor<Reminder>::forward(&Reminder::text, Reminder::textAttribute));
        sheetChartView_ =
            new ChartView(pieChartData_, selectedCategory_, sheetReminders_.get(), device, this);
    } else if (sheetChartView_) {
        sheetChartView_->deleteLater();
    }
    emit showPieChartSheetChanged();
}

void ReminderView::setIsEditing(bool editing) {
    if (editing == isEditing_)
        return;
    isEditing_ = editing;
    emit isEditingChanged();
}

QList<std::shared_ptr<Reminder>> ReminderView::list(Section section) const {
    QList<std::shared_ptr<Reminder>> result;
    const auto& selected = selectedCategory_.value();
    if (!selected)
        return result;
    const bool completed = section == Section::completed;
    for (const auto& reminder : reminders_->results())
        if (reminder->isFiledUnder(*selected) && reminder->completed() == completed)
            result.append(reminder);
    return result;
}

QList<std::shared_ptr<Reminder>> ReminderView::pendingList() const {
    return list(Section::pending);
}

QList<std::shared_ptr<Reminder>> ReminderView::completedList() const {
    return list(Section::completed);
}

void ReminderView::refreshLists() {
    auto rowsOf = [this](const QList<std::shared_ptr<Reminder>>& reminders) {
        QList<ReminderListModel::Row> rows;
        rows.reserve(reminders.size());
        for (const auto& reminder : reminders)
            rows.append({reminder, TextRules::matchesSearch(reminder->text(), searchText_)});
        return rows;
    };
    pendingRows_.setRows(rowsOf(pendingList()));
    completedRows_.setRows(rowsOf(completedList()));
    refreshGroups();
    emit listsChanged();
}

void ReminderView::refreshGroups() {
    groups_.setGroups({&pendingRows_, NSLocalizedString(QStringLiteral("Pending reminders")),
                       isPendingExpanded()},
                      {&completedRows_, NSLocalizedString(QStringLiteral("Completed reminders")),
                       isCompletedExpanded()});
}

QVariantMap ReminderView::titles() const {
    QVariantMap titles;
    for (const char* key : {"No category selected", "New reminder", "Pending reminders",
                            "Completed reminders", "Add reminder", "Paste", "Edit", "Done"})
        titles.insert(QString::fromUtf8(key), NSLocalizedString(QString::fromUtf8(key)));
    return titles;
}

QList<MenuEntry> ReminderView::rowMenu(Section section) const {
    QList<MenuEntry> categories;
    for (ReminderCategory c : TextRules::sortedByShownName(QList<ReminderCategory>(
             ReminderCategory::allCases().begin(), ReminderCategory::allCases().end())))
        categories.append(
            {Action::changeCategory + c.rawValue(), c.shownName(), c.iconName(), false, {}});
    QList<MenuEntry> menu{
        MenuEntry::localized(
            {}, QStringLiteral("Create reminder"), QStringLiteral("bell.badge"), false,
            {MenuEntry::localized({}, QStringLiteral("One time only"), {}, false,
                                  intervalItems(NotificationIntervals::oneTime(), false)),
             MenuEntry::localized({}, QStringLiteral("At intervals"), {}, false,
                                  intervalItems(NotificationIntervals::repeating(), true))}),
        MenuEntry::localized({}, QStringLiteral("Change category"), QStringLiteral("tag"), false,
                             categories),
        MenuEntry::localized(Action::copy, QStringLiteral("Copy to clipboard"),
                             QStringLiteral("doc.on.clipboard"))};
    if (section == Section::pending)
        menu.append(MenuEntry::localized(Action::toggle, QStringLiteral("Mark as completed"),
                                         QStringLiteral("checkmark.circle")));
    menu.append(MenuEntry::localized(Action::remove, QStringLiteral("Delete reminder"),
                                     QStringLiteral("trash"), true));
    return menu;
}

QList<MenuEntry> ReminderView::headerMenu(Section section) const {
    const bool expanded = section == Section::pending ? isPendingExpanded() : isCompletedExpanded();
    QList<MenuEntry> menu{MenuEntry::localized(Action::toggleSection,
                                               expanded ? QStringLiteral("Collapse this section")
                                                        : QStringLiteral("Expand this section"))};
    if (section == Section::pending)
        menu.append(MenuEntry::localized(Action::markAll, QStringLiteral("Mark all as completed"),
                                         QStringLiteral("checkmark.circle")));
    menu.append(MenuEntry::localized(Action::removeAll, QStringLiteral("Delete all reminders"),
                                     QStringLiteral("trash"), true));
    return menu;
}

QList<MenuEntry> ReminderView::informationMenu() const {
    QList<MenuEntry> menu;
    if (contact)
        menu.append(MenuEntry::localized(Action::openContact, QStringLiteral("Contact details"),
                                         QStringLiteral("envelope")));
    if (privacyPolicy)
        menu.append(MenuEntry::localized(Action::openPrivacyPolicy,
                                         QStringLiteral("Privacy policy"),
                                         QStringLiteral("hand.raised")));
    return menu;
}

QVariantList ReminderView::rowMenuFor(bool completed) const {
    return toVariantList(rowMenu(completed ? Section::completed : Section::pending));
}

QVariantList ReminderView::headerMenuFor(bool completed) const {
    return toVariantList(headerMenu(completed ? Section::completed : Section::pending));
}

QVariantList ReminderView::informationMenuEntries() const {
    return toVariantList(informationMenu());
}

std::shared_ptr<Reminder> ReminderView::at(Section section, int offset) const {
    const auto& rows = (section == Section::pending ? pendingRows_ : completedRows_).rows();
    return offset >= 0 && offset < rows.size() ? rows[offset].reminder : nullptr;
}

void ReminderView::perform(const QString& action, bool completed, int offset) {
    performAction(action, completed, offset);
    // What is drawn follows at once, so the next gesture's offsets match what it sees.
    refreshLists();
}

void ReminderView::performAction(const QString& action, bool completed, int offset) {
    const Section section = completed ? Section::completed : Section::pending;
    if (action == Action::openContact && contact) {
        UIApplication::open(*contact);
        return;
    }
    if (action == Action::openPrivacyPolicy && privacyPolicy) {
        UIApplication::open(*privacyPolicy);
        return;
    }
    if (offset < 0) {
        if (action == Action::toggleSection)
            section == Section::pending ? setIsPendingExpanded(!isPendingExpanded())
                                        : setIsCompletedExpanded(!isCompletedExpanded());
        else if (action == Action::markAll && section == Section::pending)
            markAllAsCompleted();
        else if (action == Action::removeAll)
            deleteAllReminders(section);
        return;
    }
    const auto reminder = at(section, offset);
    if (!reminder)
        return;
    if (action == Action::toggle)
        toggleCompletion(reminder);
    else if (action == Action::copy)
        copyToClipboard(reminder);
    else if (action == Action::remove)
        deleteReminder(reminder);
    else if (action.startsWith(Action::changeCategory)) {
        if (const auto c =
                ReminderCategory::fromRawValue(action.mid(Action::changeCategory.size())))
            changeCategory(reminder, *c);
    } else if (action.startsWith(Action::schedule)) {
        const QStringList parts = action.mid(Action::schedule.size()).split(u':');
        if (parts.size() == 2)
            scheduleNotification(reminder, parts[0].toLongLong(), parts[1] == u"1");
    }
}

bool ReminderView::save() {
    if (!saveStep(*modelContext_))
        return false;
    updatePieChartData();
    return true;
}

void ReminderView::addReminder() {
    if (textField_.isEmpty() || !hasSelection())
        return;
    setTextField(textField_.trimmed());
    const QString raw = selectedCategory_.value()->rawValue();
    const qsizetype count = reminders_->results().size();
    const qint64 orderIndex = count >= 1 ? count - 1 : 0;
    modelContext_->insert(
        std::make_shared<Reminder>(raw, false, QUuid::createUuid(), orderIndex, textField_));
    setTextField(QString());
    save();
}

void ReminderView::pasteIntoTextField(const QStringList& texts) {
    if (texts.isEmpty())
        return;
    setTextField(textField_.isEmpty() ? texts.first() : textField_ + u' ' + texts.first());
}

void ReminderView::pasteFromPasteboard() {
    if (UIPasteboard::hasStrings())
        pasteIntoTextField({UIPasteboard::string()});
}

void ReminderView::toggleCompletion(const std::shared_ptr<Reminder>& reminder) {
    ReminderEdits::flipCompletion(*reminder);
    save();
}

void ReminderView::markAllAsCompleted() {
    for (const auto& reminder : pendingList())
        ReminderEdits::complete(*reminder);
    save();
}

void ReminderView::changeCategory(const std::shared_ptr<Reminder>& reminder,
                                  ReminderCategory category) {
    // Left to autosave on purpose: no save, no refresh, notifications stay.
    reminder->setCategory(category.rawValue());
}

void ReminderView::copyToClipboard(const std::shared_ptr<Reminder>& reminder) {
    UIPasteboard::setString(reminder->text());
}

void ReminderView::deleteReminder(const std::shared_ptr<Reminder>& reminder) {
    ReminderEdits::removeAllWithId(*modelContext_, reminders_->results(), reminder->id());
    save();
}

void ReminderView::deleteAllReminders(Section section) {
    for (const auto& reminder : list(section))
        ReminderEdits::remove(*modelContext_, reminder);
    save();
}

void ReminderView::deleteRemindersAtOffsets(Section section, QList<int> offsets) {
    if (!hasSelection())
        return;
    // Offsets count in the unfiltered group as it was shown, whatever the search hides.
    const auto rows = (section == Section::pending ? pendingRows_ : completedRows_).rows();
    std::sort(offsets.begin(), offsets.end());
    for (int offset : offsets) {
        if (offset < 0 || offset >= rows.size())
            continue;
        ReminderEdits::remove(*modelContext_, rows[offset].reminder);
    }
    save();
}

void ReminderView::moveReminders(Section section, QList<int> sources, int destination) {
    QList<std::shared_ptr<Reminder>> items = list(section);
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return a->orderIndex() < b->orderIndex();
    });
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    destination = std::clamp(destination, 0, int(items.size()));
    // The list's standard move: destination counts positions before the move.
    QList<std::shared_ptr<Reminder>> moved, rest;
    int insertAt = destination;
    for (int i = 0; i < items.size(); ++i) {
        if (sources.contains(i)) {
            moved.append(items[i]);
            if (i < destination)
                --insertAt;
        } else {
            rest.append(items[i]);
        }
    }
    if (moved.isEmpty())
        return;
    for (qsizetype i = 0; i < moved.size(); ++i)
        rest.insert(insertAt + i, moved[i]);
    for (qsizetype i = 0; i < rest.size(); ++i)
        rest[i]->setOrderIndex(i);
    saveStep(*modelContext_); // order does not change the slices
}

void ReminderView::deleteAt(bool completed, int offset) {
    deleteRemindersAtOffsets(completed ? Section::completed : Section::pending, {offset});
    refreshLists();
}

void ReminderView::move(bool completed, int source, int destination) {
    moveReminders(completed ? Section::completed : Section::pending, {source}, destination);
    refreshLists();
}

void ReminderView::scheduleNotification(const std::shared_ptr<Reminder>& reminder, qint64 seconds,
                                        bool repeats) {
    // The answer comes back on this (the UI) thread, so reading the record there is safe; it
    // is read then, not now, so a text edited meanwhile is the one sent.
    UNUserNotificationCenter::current().requestAuthorization(
        badge | sound | alert, this,
        [reminder, seconds, repeats](bool granted, std::optional<NotificationError> error) {
            if (!granted) {
                if (error)
                    Console::writeLine(error->localizedDescription);
                return;
            }
            if (reminder->isDeleted())
                return; // deleted while permission was asked: nothing left to remind of
            UNMutableNotificationContent content;
            content.title = NSLocalizedString(reminder->category());
            content.interruptionLevel = UNNotificationInterruptionLevel::active;
            content.body = reminder->text();
            content.sound = UNNotificationSound::defaultSound;
            const auto trigger = UNTimeIntervalNotificationTrigger::triggerWithTimeInterval(
                double(seconds), repeats);
            UNUserNotificationCenter::current().add(
                UNNotificationRequest::requestWithIdentifier(reminder->idText(), content, trigger));
        });
}

void ReminderView::onAppear() {
    if (hasSelection())
        applyCompletedReminders();
}

void ReminderView::applyCompletedReminders() {
    CompletedReminders::applyPass(
        reminders_->results(), *modelContext_, completedReminders_.defaults(),
        selectedCategory_.value().has_value(), [this] { updatePieChartData(); });
}

void ReminderView::updatePieChartData() {
    ::updatePieChartData(selectedCategory_.value(), reminders_->results(), pieChartData_);
}
