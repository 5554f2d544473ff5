#pragma once

#include "MirrorRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// A record as one iCalendar object of the task collection, through libical.
//
// A reminder is a VTODO: UID = id text, SUMMARY = text, STATUS and COMPLETED from completed,
// CATEGORIES = the category's raw value, X-NUDGEBOX-ORDER = orderIndex. A favourite is a
// VJOURNAL marked X-NUDGEBOX-KIND:favorite with its category, which task clients ignore.
class ICalendarCodec {
public:
    struct Decoded {
        enum class Status { Ok, Foreign, Malformed };
        Status status = Status::Malformed;
        MirrorRecord record;
        QString uid;            // as the server has it; the record's id is derived from it
        QDateTime lastModified; // invalid when the object does not say
        QString error;
    };
    static Decoded decode(const QByteArray& ics);

    // The object for record, built on the server's previous copy when there is one so that
    // what other clients added (due dates, notes, alarms) stays; uid keeps a foreign UID.
    static QByteArray encode(const MirrorRecord& record, const QString& uid,
                             const QByteArray& previous, const QDateTime& now);

    // The record id for a UID: the UID itself when it is a UUID, otherwise a name-based UUID.
    static QString idForUid(const QString& uid);
};
