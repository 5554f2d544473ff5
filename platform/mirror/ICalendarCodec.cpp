#include "ICalendarCodec.h"

#include <QUuid>

#include <libical/ical.h>

#include <cstdlib>
#include <memory>

namespace {
const char* orderProperty = "X-NUDGEBOX-ORDER";
const char* kindProperty = "X-NUDGEBOX-KIND";
const char* favoriteKind = "favorite";

struct FreeComponent {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, FreeComponent>;

QString text(const char* value) {
    return value ? QString::fromUtf8(value) : QString();
}

icalproperty* xProperty(icalcomponent* component, const char* name) {
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_X_PROPERTY))
        if (qstricmp(icalproperty_get_x_name(p), name) == 0)
            return p;
    return nullptr;
}

void removeAll(icalcomponent* component, icalproperty_kind kind) {
    while (icalproperty* p = icalcomponent_get_first_property(component, kind)) {
        icalcomponent_remove_property(component, p);
        icalproperty_free(p);
    }
}

void replace(icalcomponent* component, icalproperty* property) {
    removeAll(component, icalproperty_isa(property));
    icalcomponent_add_property(component, property);
}

void setX(icalcomponent* component, const char* name, const QByteArray& value) {
    while (icalproperty* p = xProperty(component, name)) {
        icalcomponent_remove_property(component, p);
        icalproperty_free(p);
    }
    icalproperty* p = icalproperty_new_x(value.constData());
    icalproperty_set_x_name(p, name);
    icalcomponent_add_property(component, p);
}

icaltimetype utc(const QDateTime& time) {
    return icaltime_from_timet_with_zone(time.toSecsSinceEpoch(), 0,
                                         icaltimezone_get_utc_timezone());
}

// The object of the calendar this code reads: the first VTODO, else a VJOURNAL favourite.
icalcomponent* recordComponent(icalcomponent* calendar, MirrorRecord::Kind* kind) {
    if (icalcomponent* todo = icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT)) {
        *kind = MirrorRecord::Kind::Reminder;
        return todo;
    }
    for (icalcomponent* journal =
             icalcomponent_get_first_component(calendar, ICAL_VJOURNAL_COMPONENT);
         journal; journal = icalcomponent_get_next_component(calendar, ICAL_VJOURNAL_COMPONENT)) {
        icalproperty* marker = xProperty(journal, kindProperty);
        if (marker && qstrcmp(icalproperty_get_x(marker), favoriteKind) == 0) {
            *kind = MirrorRecord::Kind::Favorite;
            return journal;
        }
    }
    return nullptr;
}

Component parse(const QByteArray& ics) {
    if (ics.isEmpty())
        return {};
    Component component(icalparser_parse_string(ics.constData()));
    if (component && icalcomponent_isa(component.get()) != ICAL_VCALENDAR_COMPONENT)
        return {};
    return component;
}
} // namespace

QString ICalendarCodec::idForUid(const QString& uid) {
    const QUuid asUuid = QUuid::fromString(uid);
    const QUuid id = asUuid.isNull()
                         ? QUuid::createUuidV5(
                               QUuid(QStringLiteral("{6f3a42c1-5a0e-4d55-9a8e-2b7c1d0e9f11}")), uid)
                         : asUuid;
    return id.toString(QUuid::WithoutBraces).toUpper();
}

ICalendarCodec::Decoded ICalendarCodec::decode(const QByteArray& ics) {
    Decoded decoded;
    Component calendar = parse(ics);
    if (!calendar) {
        decoded.error = QStringLiteral("it is not an iCalendar object");
        return decoded;
    }
    MirrorRecord::Kind kind{};
    icalcomponent* component = recordComponent(calendar.get(), &kind);
    if (!component) {
        const bool hasObjects = icalcomponent_get_first_real_component(calendar.get());
        decoded.status = hasObjects ? Decoded::Status::Foreign : Decoded::Status::Malformed;
        decoded.error = QStringLiteral("it holds no task");
        return decoded;
    }
    decoded.uid = text(icalcomponent_get_uid(component));
    if (decoded.uid.isEmpty()) {
        decoded.error = QStringLiteral("its task has no UID");
        return decoded;
    }
    MirrorRecord& record = decoded.record;
    record.kind = kind;
    record.id = idForUid(decoded.uid);
    // Several CATEGORIES (or one with a list) from another client: the first one counts.
    if (icalproperty* categories =
            icalcomponent_get_first_property(component, ICAL_CATEGORIES_PROPERTY))
        record.category = text(icalproperty_get_categories(categories)).section(u',', 0, 0);
    if (kind == MirrorRecord::Kind::Reminder) {
        record.text = text(icalcomponent_get_summary(component));
        const icalproperty_status status = icalcomponent_get_status(component);
        record.completed = status == ICAL_STATUS_COMPLETED ||
                           (status == ICAL_STATUS_NONE &&
                            icalcomponent_get_first_property(component, ICAL_COMPLETED_PROPERTY));
        if (icalproperty* order = xProperty(component, orderProperty))
            record.orderIndex = QByteArray(icalproperty_get_x(order)).trimmed().toLongLong();
    }
    icalproperty* modified =
        icalcomponent_get_first_property(component, ICAL_LASTMODIFIED_PROPERTY);
    if (!modified)
        modified = icalcomponent_get_first_property(component, ICAL_DTSTAMP_PROPERTY);
    if (modified) {
        const icaltimetype time = icalproperty_get_lastmodified(modified);
        if (!icaltime_is_null_time(time))
            decoded.lastModified = QDateTime::fromSecsSinceEpoch(
                icaltime_as_timet_with_zone(time, icaltimezone_get_utc_timezone()), Qt::UTC);
    }
    decoded.status = Decoded::Status::Ok;
    return decoded;
}

QByteArray ICalendarCodec::encode(const MirrorRecord& record, const QString& uid,
                                  const QByteArray& previous, const QDateTime& now) {
    Component calendar = parse(previous);
    MirrorRecord::Kind previousKind{};
    icalcomponent* component = calendar ? recordComponent(calendar.get(), &previousKind) : nullptr;
    if (!component || previousKind != record.kind) {
        calendar.reset(
            icalcomponent_vanew(ICAL_VCALENDAR_COMPONENT, icalproperty_new_version("2.0"),
                                icalproperty_new_prodid("-//Nudgebox//Store mirror//EN"), nullptr));
        component = icalcomponent_new(record.kind == MirrorRecord::Kind::Reminder
                                          ? ICAL_VTODO_COMPONENT
                                          : ICAL_VJOURNAL_COMPONENT);
        icalcomponent_add_component(calendar.get(), component);
        replace(component, icalproperty_new_created(utc(now)));
    }
    const QByteArray uidText = (uid.isEmpty() ? record.id : uid).toUtf8();
    replace(component, icalproperty_new_uid(uidText.constData()));
    replace(component, icalproperty_new_dtstamp(utc(now)));
    replace(component, icalproperty_new_lastmodified(utc(now)));
    removeAll(component, ICAL_CATEGORIES_PROPERTY);
    if (!record.category.isEmpty())
        icalcomponent_add_property(
            component, icalproperty_new_categories(record.category.toUtf8().constData()));
    if (record.kind == MirrorRecord::Kind::Favorite) {
        setX(component, kindProperty, favoriteKind);
    } else {
        replace(component, icalproperty_new_summary(record.text.toUtf8().constData()));
        const bool wasCompleted = icalcomponent_get_status(component) == ICAL_STATUS_COMPLETED;
        if (record.completed) {
            replace(component, icalproperty_new_status(ICAL_STATUS_COMPLETED));
            if (!wasCompleted ||
                !icalcomponent_get_first_property(component, ICAL_COMPLETED_PROPERTY))
                replace(component, icalproperty_new_completed(utc(now)));
        } else {
            replace(component, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
            removeAll(component, ICAL_COMPLETED_PROPERTY);
            removeAll(component, ICAL_PERCENTCOMPLETE_PROPERTY);
        }
        setX(component, orderProperty, QByteArray::number(record.orderIndex));
    }
    char* out = icalcomponent_as_ical_string_r(calendar.get());
    QByteArray ics(out);
    std::free(out);
    return ics;
}
