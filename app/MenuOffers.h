#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

// One entry of a context menu as a screen offers it: which of the screen's menu actions it
// is and how it is drawn. The menu itself is declared in QML.
struct MenuOffer {
    Q_GADGET
    QML_VALUE_TYPE(menuOffer)
    Q_PROPERTY(int action MEMBER action CONSTANT)
    Q_PROPERTY(QString title MEMBER title CONSTANT)
    Q_PROPERTY(QString icon MEMBER icon CONSTANT)
    Q_PROPERTY(bool destructive MEMBER destructive CONSTANT)
    Q_PROPERTY(bool offered READ offered CONSTANT)

public:
    int action = -1; // a value of the screen's MenuAction; -1 for an entry not offered
    QString title;   // already localised
    QString icon;    // symbol name, empty for none
    bool destructive = false;

    bool offered() const { return action >= 0; }
    friend bool operator==(const MenuOffer&, const MenuOffer&) = default;
};

// What one menu offers at the moment it is opened: the entries in menu order. The screens
// decide it; QML shows exactly these entries, and tests read them.
class MenuOffers {
    Q_GADGET
    QML_VALUE_TYPE(menuOffers)
    Q_PROPERTY(int count READ count CONSTANT)

public:
    // Appends an entry whose title is a key of the main localisation table, marked where it
    // is written.
    template <class Action>
    MenuOffers& add(Action action, const char* titleKey, const QString& icon = {},
                    bool destructive = false) {
        return addLocalized(int(action), titleKey, icon, destructive);
    }

    const QList<MenuOffer>& entries() const { return entries_; }
    int count() const { return int(entries_.size()); }
    QStringList titles() const;
    // The entry of action, or one whose offered is false when the menu does not offer it.
    Q_INVOKABLE MenuOffer entry(int action) const;
    Q_INVOKABLE bool offers(int action) const { return entry(action).offered(); }

    // The entries every reminder row menu ends with: copy, complete while pending, delete.
    template <class Action> MenuOffers& addReminderEntries(bool completed) {
        add(Action::CopyToClipboard, QT_TRANSLATE_NOOP("Localizable", "Copy to clipboard"),
            QStringLiteral("doc.on.clipboard"));
        if (!completed)
            add(Action::MarkAsCompleted, QT_TRANSLATE_NOOP("Localizable", "Mark as completed"),
                QStringLiteral("checkmark.circle"));
        return add(Action::DeleteReminder, QT_TRANSLATE_NOOP("Localizable", "Delete reminder"),
                   QStringLiteral("trash"), true);
    }

    friend bool operator==(const MenuOffers&, const MenuOffers&) = default;

private:
    MenuOffers& addLocalized(int action, const char* titleKey, const QString& icon,
                             bool destructive);

    QList<MenuOffer> entries_;
};
