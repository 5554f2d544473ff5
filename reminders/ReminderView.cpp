#include "ReminderView.h"

#include "ChartView.h"
#include "Console.h"
#include "Localization.h"
#include "NotificationIntervals.h"
#include "SaveStep.h"
#include "TextRules.h"
#include "store/ModelContext.h"

#include <QCoreApplication>
#include <QVariantMap>

#include <algorithm>

namespace {
QList<CategoryListModel::Row> categoryChoiceRows() {
    QList<CategoryListModel::Row> rows;
    for (ReminderCategory c : TextRules::sortedByShownName(QList<ReminderCategory>(
             ReminderCategory::allCases().begin(), ReminderCategory::allCases().end())))
        rows.append({c.rawValue(), c.shownName(), c.iconName(), {}});
    return rows;
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
                           UIUserInterfaceIdiom device, PlatformServices& services, QObject* parent)
    : QObject(parent)
    , device(device)
    , contact(localizedUrl(contactPageText()))
    , privacyPolicy(localizedUrl(privacyPolicyPageText()))
    , pieChartData_(pieChartData)
    , selectedCategory_(selectedCategory)
    , previousSelection_(selectedCategory.value())
    , reminders_(reminders)
    , services_(services)
    , actions_(reminders, services, pieChartData, selectedCategory)
    , completedReminders_(SettingsKeys::completedReminders)
    , isPendingExpanded_(SettingsKeys::isPendingExpanded,
                         [this] {
                             emit isPendingExpandedChanged();
                             emit menusChanged();
                         })
    , isCompletedExpanded_(SettingsKeys::isCompletedExpanded,
                           [this] {
                               emit isCompletedExpandedChanged();
                               emit menusChanged();
                           })
    , oneTimeIntervals_(QT_TRANSLATE_NOOP("Localizable", "One time only"),
                        NotificationIntervals::oneTime(), false)
    , repeatingIntervals_(QT_TRANSLATE_NOOP("Localizable", "At intervals"),
                          NotificationIntervals::repeating(), true) {
    categoryChoices_.setRows(categoryChoiceRows());
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
    if (!now)
        setShowPieChartSheet(false);
    // From no selection the list comes on screen; to none it goes away and nothing runs.
    if (!before && now)
        onAppear();
    else if (before && now && before != now) {
        services_.reloadAllTimelines();
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
    // The sheet belongs to the chart button: on a phone, over a category's list.
    if (shown && !(showsChartButton() && hasSelection()))
        return;
    if (shown == showPieChartSheet_)
        return;
    showPieChartSheet_ = shown;
    if (shown) {
        auto* reminders = new Query<Reminder>(
            &actions_.modelContext(),
            SortDescriptor<Reminder>::forward(&Reminder::text, Reminder::textAttribute));
        sheetChartView_ =
            new ChartView(pieChartData_, selectedCategory_, reminders, device, services_, this);
        reminders->setParent(sheetChartView_); // the sheet's query goes with it
    } else if (sheetChartView_) {
        // Gone for QML at once (the sheet drops its content), deleted once that is done.
        std::exchange(sheetChartView_, nullptr)->deleteLater();
    }
    emit showPieChartSheetChanged();
}

void ReminderView::setIsEditing(bool editing) {
    if (editing == isEditing_)
        return;
    isEditing_ = editing;
    emit isEditingChanged();
}

std::vector<Reminder*> ReminderView::groupInPlace(Section section) const {
    std::vector<Reminder*> result;
    const auto& selected = selectedCategory_.value();
    if (!selected)
        return result;
    const bool completed = section == Section::Completed;
    for (Reminder* reminder :
         actions_.index().filedUnderInPlace(selected->rawValue(), actions_.order()))
        if (reminder->completed() == completed)
            result.push_back(reminder);
    return result;
}

QList<std::shared_ptr<Reminder>> ReminderView::list(Section section) const {
    QList<std::shared_ptr<Reminder>> result;
    for (Reminder* reminder : groupInPlace(section))
        result.append(reminder->handle());
    return result;
}

QList<std::shared_ptr<Reminder>> ReminderView::pendingList() const {
    return list(Section::Pending);
}

QList<std::shared_ptr<Reminder>> ReminderView::completedList() const {
    return list(Section::Completed);
}

bool ReminderView::followChanges(const ReminderActions::RowBasis& basis) {
    // Rows a search hides have no entry, so the entries cannot follow row for row then.
    if (!basis.category || !basis.search.isEmpty())
        return false;
    const auto changed = actions_.changesToFollow(basis);
    if (!changed)
        return false;
    const QString category = basis.category->rawValue();
    bool entriesFollow = true;
    for (const bool completed : {false, true}) {
        auto& rows = completed ? completedRows_ : pendingRows_;
        const auto stretch = rows.patchRows(
            *changed,
            [&](const std::shared_ptr<Reminder>& reminder)
                -> std::optional<ReminderListModel::Row> {
                if (!actions_.isFiledUnder(*reminder, category) ||
                    reminder->completed() != completed)
                    return std::nullopt;
                return ReminderListModel::Row(reminder);
            },
            actions_.rowOrder());
        entriesFollow = entriesFollow &&
                        groups_.patchGroup(pendingGroup(), completedGroup(), completed, stretch);
    }
    if (!entriesFollow)
        refreshGroups();
    return true;
}

void ReminderView::refreshLists() {
    const ReminderActions::RowBasis basis{selectedCategory_.value(), searchText_, 0, {}};
    if (followChanges(basis)) {
        actions_.rowsMade(basis, true);
        emit listsChanged();
        return;
    }
    // Both groups in one pass over the category, read in place.
    QList<ReminderListModel::Row> pending, completed;
    if (const auto& selected = selectedCategory_.value()) {
        const auto& filed =
            actions_.index().filedUnderInPlace(selected->rawValue(), actions_.order());
        const TextRules::Search search(searchText_);
        pending.reserve(pendingRows_.rows().size() + 1);
        completed.reserve(completedRows_.rows().size() + 1);
        for (Reminder* reminder : filed)
            (reminder->completed() ? completed : pending)
                .append({reminder->handle(), search.matches(reminder->text())});
    }
    pendingRows_.setRows(std::move(pending));
    completedRows_.setRows(std::move(completed));
    refreshGroups();
    actions_.rowsMade(basis, false);
    emit listsChanged();
}

ReminderGroupsModel::Group ReminderView::pendingGroup() const {
    return {&pendingRows_, QCoreApplication::translate("Localizable", "Pending reminders"),
            isPendingExpanded()};
}

ReminderGroupsModel::Group ReminderView::completedGroup() const {
    return {&completedRows_, QCoreApplication::translate("Localizable", "Completed reminders"),
            isCompletedExpanded()};
}

void ReminderView::refreshGroups() {
    groups_.setGroups(pendingGroup(), completedGroup());
}

QString ReminderView::title(const QString& key) const {
    return NSLocalizedTitle(
        key, {QT_TRANSLATE_NOOP("Localizable", "No category selected"),
              QT_TRANSLATE_NOOP("Localizable", "New reminder"),
              QT_TRANSLATE_NOOP("Localizable", "Add reminder"),
              QT_TRANSLATE_NOOP("Localizable", "Paste"), QT_TRANSLATE_NOOP("Localizable", "Edit"),
              QT_TRANSLATE_NOOP("Localizable", "Done"), QT_TRANSLATE_NOOP("Localizable", "Search"),
              QT_TRANSLATE_NOOP("Localizable", "Show chart"),
              QT_TRANSLATE_NOOP("Localizable", "Information"),
              QT_TRANSLATE_NOOP("Localizable", "Delete reminder"),
              QT_TRANSLATE_NOOP("Localizable", "Reorder")});
}

MenuOffers ReminderView::rowMenu(const QString& id) const {
    const auto reminder = actions_.reminder(id);
    if (!reminder)
        return {};
    MenuOffers offers;
    offers.add(MenuAction::CreateReminder, QT_TRANSLATE_NOOP("Localizable", "Create reminder"),
               QStringLiteral("bell.badge"));
    offers.add(MenuAction::ChangeCategory, QT_TRANSLATE_NOOP("Localizable", "Change category"),
               QStringLiteral("tag"));
    return offers.addReminderEntries<MenuAction>(reminder->completed());
}

MenuOffers ReminderView::headerMenu(Section section) const {
    const bool expanded = section == Section::Pending ? isPendingExpanded() : isCompletedExpanded();
    MenuOffers offers;
    offers.add(MenuAction::ToggleSection,
               expanded ? QT_TRANSLATE_NOOP("Localizable", "Collapse this section")
                        : QT_TRANSLATE_NOOP("Localizable", "Expand this section"));
    if (section == Section::Pending)
        offers.add(MenuAction::MarkAllAsCompleted,
                   QT_TRANSLATE_NOOP("Localizable", "Mark all as completed"),
                   QStringLiteral("checkmark.circle"));
    offers.add(MenuAction::DeleteAllReminders,
               QT_TRANSLATE_NOOP("Localizable", "Delete all reminders"), QStringLiteral("trash"),
               true);
    return offers;
}

MenuOffers ReminderView::informationMenu() const {
    MenuOffers offers;
    if (contact)
        offers.add(MenuAction::ContactDetails, QT_TRANSLATE_NOOP("Localizable", "Contact details"),
                   QStringLiteral("envelope"));
    if (privacyPolicy)
        offers.add(MenuAction::PrivacyPolicy, QT_TRANSLATE_NOOP("Localizable", "Privacy policy"),
                   QStringLiteral("hand.raised"));
    return offers;
}

std::optional<ReminderView::Place> ReminderView::placeOf(const QString& id) const {
    const auto reminder = actions_.reminder(id);
    if (!reminder)
        return std::nullopt;
    const Section section = reminder->completed() ? Section::Completed : Section::Pending;
    auto group = groupInPlace(section);
    const auto at = std::find(group.begin(), group.end(), reminder.get());
    if (at == group.end())
        return std::nullopt; // another category's: not on this screen
    const int offset = int(at - group.begin());
    return Place{section, offset, std::move(group)};
}

void ReminderView::addReminder() {
    if (textField_.isEmpty() || !hasSelection())
        return;
    setTextField(textField_.trimmed());
    const QString raw = selectedCategory_.value()->rawValue();
    const qint64 count = actions_.index().count();
    const qint64 orderIndex = count >= 1 ? count - 1 : 0;
    actions_.modelContext().insert(
        std::make_shared<Reminder>(raw, false, QUuid::createUuid(), orderIndex, textField_));
    setTextField(QString());
    actions_.save();
}

void ReminderView::pasteIntoTextField(const QStringList& texts) {
    if (texts.isEmpty())
        return;
    setTextField(textField_.isEmpty() ? texts.first() : textField_ + u' ' + texts.first());
}

void ReminderView::pasteFromPasteboard() {
    const QString text = services_.pasteboardString();
    if (!text.isEmpty())
        pasteIntoTextField({text});
}

void ReminderView::toggleCompletion(const QString& id) {
    actions_.toggleCompletion(id);
}

void ReminderView::markAllAsCompleted() {
    for (const auto& reminder : pendingList())
        actions_.complete(*reminder);
    actions_.save();
}

void ReminderView::changeCategory(const QString& id, const QString& rawValue) {
    const auto reminder = actions_.reminder(id);
    const auto category = ReminderCategory::fromRawValue(rawValue);
    // Left to autosave on purpose: no save, no refresh, notifications stay.
    if (reminder && category)
        reminder->setCategory(category->rawValue());
}

void ReminderView::copyToClipboard(const QString& id) {
    actions_.copyToClipboard(id);
}

void ReminderView::deleteReminder(const QString& id) {
    actions_.deleteReminder(id);
}

void ReminderView::deleteAllReminders(Section section) {
    for (const auto& reminder : list(section))
        actions_.remove(reminder);
    actions_.save();
}

void ReminderView::toggleSection(Section section) {
    if (section == Section::Pending)
        isPendingExpanded_.setValue(!isPendingExpanded());
    else
        isCompletedExpanded_.setValue(!isCompletedExpanded());
}

void ReminderView::deleteBySwipe(const QString& id) {
    if (const auto place = placeOf(id))
        deleteRemindersAtOffsets(place->section, {place->offset});
}

void ReminderView::moveReminder(const QString& id, int destination) {
    if (auto place = placeOf(id))
        moveInGroup(std::move(place->group), {place->offset}, destination);
}

void ReminderView::moveReminderBy(const QString& id, int step) {
    auto place = placeOf(id);
    if (!place || step == 0)
        return;
    const int offset = place->offset;
    const int target = offset + step;
    if (target < 0 || target >= int(place->group.size()))
        return;
    // Destination counts positions before the move: going down it lies past the target.
    moveInGroup(std::move(place->group), {offset}, step < 0 ? target : target + 1);
}

void ReminderView::dropReminder(const QString& id, int entryIndex) {
    auto place = placeOf(id);
    const auto& entries = groups_.entries();
    if (!place || entryIndex < 0 || entryIndex >= entries.size())
        return;
    const auto& target = entries[entryIndex];
    const Section section = target.completed ? Section::Completed : Section::Pending;
    const int to = target.header ? 0 : target.offset;
    if (section != place->section || to == place->offset)
        return;
    moveInGroup(std::move(place->group), {place->offset}, to > place->offset ? to + 1 : to);
}

void ReminderView::deleteRemindersAtOffsets(Section section, QList<int> offsets) {
    if (!hasSelection())
        return;
    const auto group = list(section);
    std::sort(offsets.begin(), offsets.end());
    for (int offset : offsets)
        if (offset >= 0 && offset < group.size())
            actions_.remove(group[offset]);
    actions_.save();
}

void ReminderView::moveReminders(Section section, QList<int> sources, int destination) {
    moveInGroup(groupInPlace(section), std::move(sources), destination);
}

void ReminderView::moveInGroup(std::vector<Reminder*> items, QList<int> sources, int destination) {
    // The group comes in the list's order: by orderIndex, ties in store order.
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    destination = std::clamp(destination, 0, int(items.size()));
    // The list's standard move: destination counts positions before the move.
    std::vector<Reminder*> moved, rest;
    rest.reserve(items.size());
    int insertAt = destination;
    for (int i = 0; i < int(items.size()); ++i) {
        if (std::binary_search(sources.begin(), sources.end(), i)) {
            moved.push_back(items[i]);
            if (i < destination)
                --insertAt;
        } else {
            rest.push_back(items[i]);
        }
    }
    if (moved.empty())
        return;
    rest.insert(rest.begin() + insertAt, moved.begin(), moved.end());
    for (size_t i = 0; i < rest.size(); ++i)
        rest[i]->setOrderIndex(qint64(i));
    saveStep(actions_.modelContext()); // order does not change the slices
}

void ReminderView::scheduleNotification(const QString& id, qint64 seconds, bool repeats) {
    const auto reminder = actions_.reminder(id);
    if (!reminder)
        return;
    // The answer comes back on this (the UI) thread, so reading the record there is safe; it
    // is read then, not now, so a text edited meanwhile is the one sent.
    PlatformServices& services = services_;
    services.requestAuthorization(
        badge | sound | alert, this,
        [reminder, seconds, repeats, &services](bool granted,
                                                std::optional<NotificationError> error) {
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
            services.addNotificationRequest(
                UNNotificationRequest::requestWithIdentifier(reminder->idText(), content, trigger));
        });
}

void ReminderView::openContact() {
    if (contact)
        services_.openUrl(*contact);
}

void ReminderView::openPrivacyPolicy() {
    if (privacyPolicy)
        services_.openUrl(*privacyPolicy);
}

void ReminderView::onAppear() {
    if (hasSelection())
        applyCompletedReminders();
}

void ReminderView::applyCompletedReminders() {
    actions_.applyCompletedReminders(completedReminders_.defaults());
}

void ReminderView::updatePieChartData() {
    actions_.updatePieChartData();
}
