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

    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

// For QML: a list of maps with the keys action, title, icon, destructive, children.
QVariantList toVariantList(const QList<MenuEntry>& entries);
