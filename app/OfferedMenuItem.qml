pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Nudgebox.Platform
import Nudgebox.Screens as Screens

// One entry of a context menu, drawn as the screen offers it: left out while the screen does
// not offer it, its symbol before its title, red when destructive.
MenuItem {
    id: item
    required property Screens.menuOffers offers
    required property int menuAction
    readonly property Screens.menuOffer offer: item.offers.entry(item.menuAction)

    visible: item.offer.offered
    enabled: item.visible
    height: item.visible ? item.implicitHeight : 0
    text: item.offer.title
    // Read by its title alone, without the symbol.
    Accessible.name: item.offer.title
    contentItem: SymbolLabel {
        symbol: item.offer.icon
        text: item.text
        color: item.highlighted || item.down ? item.palette.highlightedText
             : item.offer.destructive ? Theme.redText : item.palette.text
        font: item.font
    }
}
