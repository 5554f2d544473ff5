#pragma once

#include "CategoryListModel.h"
#include "Favorite.h"
#include "MenuOffers.h"
#include "PieChartData.h"
#include "PlatformServices.h"
#include "Reminder.h"
#include "ReminderActions.h"
#include "ReminderCategory.h"
#include "SettingsKeys.h"
#include "SidebarEntriesModel.h"
#include "UIDevice.h"
#include "store/Query.h"
#include "ui/CoalescedCall.h"
#include "ui/ScenePhase.h"
#include "ui/State.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The category sidebar: the thirty categories in a Favourites and an Others section, their
// completion percentages, what the row and header menus offer and the actions behind them,
// and the hand-over pass that applies completions made on the widget. Every operation names
// its category by raw value or its section; a raw value that is no category does nothing.
class MainView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("MainView is created by AppView")
    Q_PROPERTY(UIDevice::UIUserInterfaceIdiom device READ idiom CONSTANT)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(bool isFavoritesExpanded READ isFavoritesExpanded NOTIFY isFavoritesExpandedChanged)
    Q_PROPERTY(bool isOthersExpanded READ isOthersExpanded NOTIFY isOthersExpandedChanged)
    Q_PROPERTY(bool showsFavoritesSection READ showsFavoritesSection NOTIFY rowsChanged)
    Q_PROPERTY(CategoryListModel* favoriteRows READ favoriteRows CONSTANT)
    Q_PROPERTY(CategoryListModel* otherRows READ otherRows CONSTANT)
    Q_PROPERTY(SidebarEntriesModel* entries READ entries CONSTANT)
    Q_PROPERTY(
        QString selectedCategory READ selectedCategoryRawValue NOTIFY selectedCategoryChanged)
    Q_PROPERTY(QString favoritesTitle READ favoritesTitle CONSTANT)
    Q_PROPERTY(QString othersTitle READ othersTitle CONSTANT)
    Q_PROPERTY(QString searchTitle READ searchTitle CONSTANT)
    Q_PROPERTY(MenuOffers favoritesHeaderMenu READ favoritesHeaderMenu NOTIFY menusChanged)
    Q_PROPERTY(MenuOffers othersHeaderMenu READ othersHeaderMenu NOTIFY menusChanged)

public:
    enum class Section { Favorites, Others };
    Q_ENUM(Section)
    // The entries of the row and header menus.
    enum class MenuAction {
        AddFavorite,
        RemoveFavorite,
        SetAsDefault,
        ToggleSection,
        RemoveAllFavorites,
        MarkAllAsCompleted,
        DeleteAllReminders
    };
    Q_ENUM(MenuAction)
    // Which reminders a bulk action takes: one category, or all of one section's categories.
    struct Scope {
        enum class Kind { category, favoriteCategories, otherCategories } kind;
        std::optional<ReminderCategory> category;
    };

    MainView(Binding<PieChartSlices> pieChartData,
             Binding<std::optional<ReminderCategory>> selectedCategory, Query<Favorite>* favorites,
             Query<Reminder>* reminders, ScenePhaseSource* scenePhase, UIUserInterfaceIdiom device,
             PlatformServices& services, QObject* parent = nullptr);

    const UIUserInterfaceIdiom device;
    UIUserInterfaceIdiom idiom() const { return device; }

    QString searchText() const { return searchText_; }
    void setSearchText(const QString& text);
    bool isFavoritesExpanded() const { return isFavoritesExpanded_.value(); }
    bool isOthersExpanded() const { return isOthersExpanded_.value(); }
    std::optional<ReminderCategory> defaultCategory() const { return defaultCategory_.value(); }

    // Derived on demand from the current query results.
    QStringList favoriteNames() const;
    bool showsFavoritesSection() const { return !favoriteNames().isEmpty(); }
    QList<ReminderCategory> favoriteCategories() const;
    QList<ReminderCategory> otherCategories() const;
    CategoryListModel* favoriteRows() { return &favoriteRows_; }
    CategoryListModel* otherRows() { return &otherRows_; }
    // Both sections with their headers, as drawn.
    SidebarEntriesModel* entries() { return &entries_; }
    QList<std::shared_ptr<Reminder>> remindersIn(const Scope& scope) const;
    ReminderIndex::Counts countsIn(const Scope& scope) const;

    QString selectedCategoryRawValue() const;
    QString favoritesTitle() const;
    QString othersTitle() const;
    // The search field's accessible name.
    QString searchTitle() const;

    // What the menu of a row (a category of the given section) and of a section's header
    // offer now; nothing for a raw value that is no category.
    Q_INVOKABLE MenuOffers rowMenu(const QString& rawValue, MainView::Section section) const;
    Q_INVOKABLE MenuOffers headerMenu(MainView::Section section) const;
    MenuOffers favoritesHeaderMenu() const { return headerMenu(Section::Favorites); }
    MenuOffers othersHeaderMenu() const { return headerMenu(Section::Others); }

    // Selects the category; a text that is no category clears the selection.
    Q_INVOKABLE void select(const QString& rawValue);
    Q_INVOKABLE void addFavorite(const QString& rawValue);
    Q_INVOKABLE void removeFavorite(const QString& rawValue);
    Q_INVOKABLE void removeAllFavorites();
    Q_INVOKABLE void setDefault(const QString& rawValue);
    Q_INVOKABLE void toggleSection(MainView::Section section);
    Q_INVOKABLE void completeAllInCategory(const QString& rawValue);
    Q_INVOKABLE void completeAllInSection(MainView::Section section);
    Q_INVOKABLE void deleteAllInCategory(const QString& rawValue);
    Q_INVOKABLE void deleteAllInSection(MainView::Section section);
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
    void menusChanged();

private:
    void refreshRows();
    void refreshEntries();
    QList<CategoryListModel::Row> rowsFor(const QList<ReminderCategory>& categories) const;
    static Scope sectionScope(Section section);
    // The category texts a scope takes: a section's are those its reminders are filed under.
    QStringList categoriesIn(const Scope& scope) const;
    static MenuOffers bulkOffers(MenuOffers offers, const ReminderIndex::Counts& scoped);

    Binding<std::optional<ReminderCategory>> selectedCategory_;
    Query<Favorite>* favorites_;
    Query<Reminder>* reminders_;
    ReminderActions actions_;
    AppStorage<QStringList> completedReminders_;
    AppStorage<std::optional<ReminderCategory>> defaultCategory_;
    AppStorage<bool> isFavoritesExpanded_;
    AppStorage<bool> isOthersExpanded_;
    QString searchText_;
    CategoryListModel favoriteRows_;
    CategoryListModel otherRows_;
    SidebarEntriesModel entries_;
    CoalescedCall refresh_{this, [this] { refreshRows(); }};
};
