#include "SymbolCatalogue.h"

#include <QFontDatabase>
#include <QHash>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSymbols, "nudgebox.symbols", QtWarningMsg)

namespace {
// Symbol name → code point of the Material Icons font. Where the font has no exact match, the
// nearest image of the same subject stands in (groceries for the carrot, a film reel for
// popcorn, a cloud for cloud-and-sun).
const QHash<QString, char32_t>& codePoints() {
    static const QHash<QString, char32_t> table{
        // Categories.
        {QStringLiteral("baseball.fill"), 0xea51},                 // sports_baseball
        {QStringLiteral("basketball.fill"), 0xea26},               // sports_basketball
        {QStringLiteral("birthday.cake.fill"), 0xe7e9},            // cake
        {QStringLiteral("macbook"), 0xe320},                       // laptop_mac
        {QStringLiteral("graduationcap.fill"), 0xe80c},            // school
        {QStringLiteral("dollarsign"), 0xe227},                    // attach_money
        {QStringLiteral("figure.and.child.holdinghands"), 0xf1a2}, // family_restroom
        {QStringLiteral("football.fill"), 0xea29},                 // sports_football
        {QStringLiteral("gamecontroller.fill"), 0xea28},           // sports_esports
        {QStringLiteral("leaf.fill"), 0xea35},                     // eco
        {QStringLiteral("carrot.fill"), 0xe547},                   // local_grocery_store
        {QStringLiteral("stethoscope"), 0xf109},                   // medical_services
        {QStringLiteral("heart.fill"), 0xe87d},                    // favorite
        {QStringLiteral("pills.fill"), 0xf033},                    // medication
        {QStringLiteral("popcorn.fill"), 0xe54d},                  // local_movies
        {QStringLiteral("music.note"), 0xe405},                    // music_note
        {QStringLiteral("person.fill"), 0xe7fd},                   // person
        {QStringLiteral("pawprint.fill"), 0xe91d},                 // pets
        {QStringLiteral("book.closed.fill"), 0xe865},              // book
        {QStringLiteral("bed.double.fill"), 0xea45},               // king_bed
        {QStringLiteral("soccerball"), 0xea2f},                    // sports_soccer
        {QStringLiteral("figure.pool.swim"), 0xeb48},              // pool
        {QStringLiteral("tennis.racket"), 0xea32},                 // sports_tennis
        {QStringLiteral("bus"), 0xe530},                           // directions_bus
        {QStringLiteral("airplane"), 0xe539},                      // flight
        {QStringLiteral("car.fill"), 0xe531},                      // directions_car
        {QStringLiteral("cloud.sun.fill"), 0xe42d},                // wb_cloudy
        {QStringLiteral("link"), 0xe157},                          // link
        {QStringLiteral("person.crop.square.fill"), 0xe851},       // account_box
        {QStringLiteral("figure.run"), 0xe566},                    // directions_run
        // Menus, toolbars and rows.
        {QStringLiteral("star"), 0xe83a},                  // star_border
        {QStringLiteral("star.fill"), 0xe838},             // star
        {QStringLiteral("house"), 0xe88a},                 // home
        {QStringLiteral("checkmark.circle"), 0xe92d},      // check_circle_outline
        {QStringLiteral("checkmark.circle.fill"), 0xe86c}, // check_circle
        {QStringLiteral("trash"), 0xe872},                 // delete
        {QStringLiteral("bell.badge"), 0xe399},            // notification_add
        {QStringLiteral("tag"), 0xf05b},                   // sell
        {QStringLiteral("doc.on.clipboard"), 0xe14f},      // content_paste
        {QStringLiteral("info.circle"), 0xe88f},           // info_outline
        {QStringLiteral("chart.pie"), 0xe6c4},             // pie_chart
        {QStringLiteral("envelope"), 0xe0e1},              // mail_outline
        {QStringLiteral("hand.raised"), 0xe925},           // pan_tool
        {QStringLiteral("lock"), 0xe897},                  // lock
        {QStringLiteral("chevron.down"), 0xe5cf},          // expand_more
        {QStringLiteral("chevron.right"), 0xe5cc},         // chevron_right
        {QStringLiteral("magnifyingglass"), 0xe8b6},       // search
        {QStringLiteral("line.3.horizontal"), 0xe25d},     // drag_handle
    };
    return table;
}
} // namespace

QString SymbolCatalogue::glyph(const QString& symbolName) {
    const auto found = codePoints().constFind(symbolName);
    if (found == codePoints().constEnd())
        return {};
    const char32_t codePoint = found.value();
    return QString::fromUcs4(&codePoint, 1);
}

QStringList SymbolCatalogue::symbolNames() {
    QStringList names = codePoints().keys();
    names.sort();
    return names;
}

QString SymbolCatalogue::fontFamily() {
    return QStringLiteral("Material Icons");
}

QString SymbolCatalogue::fontPath() {
    return QStringLiteral(
        "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");
}

bool SymbolCatalogue::loadFont() {
    static const bool loaded = [] {
        const int id = QFontDatabase::addApplicationFont(fontPath());
        if (id < 0) {
            qCWarning(lcSymbols) << "symbol font missing:" << fontPath();
            return false;
        }
        return true;
    }();
    return loaded;
}
