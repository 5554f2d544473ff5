#include "ReminderText.h"

#include "BidiIsolate.h"

QString ReminderText::shown(const QString& text) const {
    return BidiIsolate::isolated(text);
}
