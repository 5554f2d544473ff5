#include "Query.h"

QueryBase::QueryBase(ModelContext* context, QObject* parent)
    : QObject(parent)
    , context_(context) {
    if (context)
        connect(context, &ModelContext::didChange, this, &QueryBase::resultsChanged);
}
