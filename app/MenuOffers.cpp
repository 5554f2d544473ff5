#include "MenuOffers.h"

#include "Localization.h"

MenuOffers& MenuOffers::addLocalized(int action, const char* titleKey, const QString& icon,
                                     bool destructive) {
    entries_.append({action, NSLocalizedString(titleKey), icon, destructive});
    return *this;
}

QStringList MenuOffers::titles() const {
    QStringList titles;
    for (const MenuOffer& entry : entries_)
        titles.append(entry.title);
    return titles;
}

MenuOffer MenuOffers::entry(int action) const {
    for (const MenuOffer& entry : entries_)
        if (entry.action == action)
            return entry;
    return {};
}
