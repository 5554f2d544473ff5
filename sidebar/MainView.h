#pragma once

#include "CategoryListModel.h"
#include "Favorite.h"
#include "PieChartData.h"
#include "Reminder.h"
#include "ReminderCategory.h"
#include "SettingsKeys.h"
#include "UIDevice.h"
#include "store/Query.h"
#include "ui/CoalescedCall.h"
#include "ui/MenuEntry.h"
#include "ui/ScenePhase.h"
#include "ui/State.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The category sidebar: the thirty categories in a Favourites and an Others section, their
// completion percentages, the row and header menus and the bulk actions behind them, and the
// hand-over pass that applies completions made on the widget.
class MainView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("MainView is created by AppView")
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(bool isFavoritesExpanded READ isFavoritesExpanded WRITE setIsFavoritesExpanded NOTIFY
                   isFavoritesExpandedChanged)
    Q_PROPERTY(bool isOthersExpanded READ isOthersExpanded WRITE setIsOthersExpanded NOTIFY
                   isOthersExpandedChanged)
    Q_PROPERTY(bool showsFavoritesSection READ showsFavoritesSection NOTIFY rowsChanged)
    Q_PROPERTY(CategoryListModel* favoriteRows READ favoriteRows CONSTANT)
    Q_PROPERTY(CategoryListModel* otherRows READ otherRows CONSTANT)
    Q_PROPERTY(QString selectedCategory READ selectedCategoryRawValue WRITE selectCategory NOTIFY
                   selectedCategoryChanged)
    Q_PROPERTY(QString favoritesTitle READ favoritesTitle CONSTANT)
    Q_PROPERTY(QString othersTitle READ othersTitle CONSTANT)

public:
    enum class Section { favorites, others };
    // Which reminders a bulk action takes: one category, or all of one section's categories.
    struct Scope {
        enum class Kind { category, favoriteCategories, otherCategories } kind;
        std::optional<ReminderCategory> category;
    };

    MainView(Binding<PieChartSlices> pieChartData,
             Binding<std::optional<ReminderCategory>> selectedCategory, Query<Favorite>* favorites,
             Query<Reminder>* reminders, ScenePhaseSource* scenePhase, UIUserInterfaceIdiom device,
             QObject* parent = nullptr);

    const UIUserInterfaceIdiom device;

    QString searchText() const { return searchText_; }
    void setSearchText(const QString& text);
    bool isFavoritesExpanded() const { return isFavoritesExpanded_.value(); }
    void setIsFavoritesExpanded(bool expanded) { isFavoritesExpanded_.setValue(expanded); }
    bool isOthersExpanded() const { return isOthersExpanded_.value(); }
    void setIsOthersExpanded(bool expanded) { isOthersExpanded_.setValue(expanded); }
    std::optional<ReminderCategory> defaultCategory() const { return defaultCategory_.value(); }
    QStringList completedReminders() const { return completedReminders_.value(); }

    // Derived on demand from the current query results.
    QStringList favoriteNames() const;
    bool showsFavoritesSection() const { return !favoriteNames().isEmpty(); }
    QList<ReminderCategory> favoriteCategories() const;
    QList<ReminderCategory> otherCategories() const;
    CategoryListModel* favoriteRows() { return &favoriteRows_; }
    CategoryListModel* otherRows() { return &otherRows_; }
    QList<std::shared_ptr<Reminder>> remindersIn(const Scope& scope) const;

    QString selectedCategoryRawValue() const;
    // Selects by raw value; a text that is no category clears the selection.
    void selectCategory(const QString& rawValue);
    QString favoritesTitle() const;
    QString othersTitle() const;

    QList<MenuEntry> rowMenu(ReminderCategory category, Section section) const;
    QList<MenuEntry> headerMenu(Section section) const;
    Q_INVOKABLE QVariantList rowMenuFor(const QString& rawValue, bool inFavorites) const;
    Q_INVOKABLE QVariantList headerMenuFor(bool favorites) const;
    // Runs a menu entry's action for a row (rawValue) or a header (rawValue empty).
    Q_INVOKABLE void perform(const QString& action, const QString& rawValue, bool inFavorites);

    void addFavorite(ReminderCategory category);
    void removeFavorite(ReminderCategory category);
    void removeAllFavorites();
    void setDefault(ReminderCategory category);
    void toggleSection(Section section);
    void completeAll(const Scope& scope);
    void deleteAll(const Scope& scope);

    // Coming on screen: the hand-over pass, then on tablets the stored default category.
    Q_INVOKABLE void onAppear();
    void applyCompletedReminders();
    void updatePieChartData();

signals:
    void searchTextChanged();
    void isFavoritesExpandedChanged();
    void isOthersExpandedChanged();
    void rowsChanged();
    void selectedCategoryChanged();

private:
    void saveAndRefresh();
    void refreshRows();
    QList<CategoryListModel::Row> rowsFor(const QList<ReminderCategory>& categories) const;
    Scope sectionScope(Section section) const;

    Binding<PieChartSlices> pieChartData_;
    Binding<std::optional<ReminderCategory>> selectedCategory_;
    Query<Favorite>* favorites_;
    Query<Reminder>* reminders_;
    ModelContext* modelContext_;
    AppStorage<QStringList> completedReminders_;
    AppStorage<std::optional<ReminderCategory>> defaultCategory_;
    AppStorage<bool> isFavoritesExpanded_;
    AppStorage<bool> isOthersExpanded_;
    QString searchText_;
    CategoryListModel favoriteRows_;
    CategoryListModel otherRows_;
    CoalescedCall refresh_{this, [this] { refreshRows(); }};
};
