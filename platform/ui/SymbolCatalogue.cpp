#include "SymbolCatalogue.h"

#include <QHash>

QString SymbolCatalogue::glyph(const QString& symbolName) {
    static const QHash<QString, QString> glyphs{
        {"baseball.fill", u8"⚾"},
        {"basketball.fill", u8"🏀"},
        {"birthday.cake.fill", u8"🎂"},
        {"macbook", u8"💻"},
        {"graduationcap.fill", u8"🎓"},
        {"dollarsign", u8"💲"},
        {"figure.and.child.holdinghands", u8"👪"},
        {"football.fill", u8"🏈"},
        {"gamecontroller.fill", u8"🎮"},
        {"leaf.fill", u8"🍃"},
        {"carrot.fill", u8"🥕"},
        {"stethoscope", u8"🩺"},
        {"heart.fill", u8"❤️"},
        {"pills.fill", u8"💊"},
        {"popcorn.fill", u8"🍿"},
        {"music.note", u8"🎵"},
        {"person.fill", u8"👤"},
        {"pawprint.fill", u8"🐾"},
        {"book.closed.fill", u8"📕"},
        {"bed.double.fill", u8"🛏️"},
        {"soccerball", u8"⚽"},
        {"figure.pool.swim", u8"🏊"},
        {"tennis.racket", u8"🎾"},
        {"bus", u8"🚌"},
        {"airplane", u8"✈️"},
        {"car.fill", u8"🚗"},
        {"cloud.sun.fill", u8"⛅"},
        {"link", u8"🔗"},
        {"person.crop.square.fill", u8"💼"},
        {"figure.run", u8"🏃"},
        // Menu and row symbols.
        {"star", u8"☆"},
        {"star.fill", u8"★"},
        {"house", u8"🏠"},
        {"checkmark.circle", u8"✅"},
        {"checkmark.circle.fill", u8"✔️"},
        {"trash", u8"🗑️"},
        {"bell.badge", u8"🔔"},
        {"tag", u8"🏷️"},
        {"doc.on.clipboard", u8"📋"},
        {"info.circle", u8"ℹ️"},
        {"chart.pie", u8"🥧"},
        {"envelope", u8"✉️"},
        {"lock", u8"🔒"},
    };
    return glyphs.value(symbolName);
}
