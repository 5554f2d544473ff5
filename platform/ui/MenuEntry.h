#pragma once

#include <QList>
#include <QString>
#include <QVariantList>

// One entry of a context menu as the screens decide it; QML only draws it.
struct MenuEntry {
    QString action; // what the screen runs when the entry is chosen
    QString title;  // already localised
    QString icon;   // symbol name, empty for none
    bool destructive = false;
    QList<MenuEntry> children; // a submenu when not empty

    // An entry whose title is a key of the main localisation table.
    static MenuEntry localized(const QString& action, const QString& titleKey,
                               const QString& icon = {}, bool destructive = false,
                               QList<MenuEntry> children = {});

    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

// For QML: a list of maps with the keys action, title, icon, destructive, children.
QVariantList toVariantList(const QList<MenuEntry>& entries);
