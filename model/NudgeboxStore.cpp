#include "NudgeboxStore.h"

#include "Favorite.h"
#include "Reminder.h"

const Schema& NudgeboxStore::schema() {
    static const Schema schema{&Favorite::entityDescription(), &Reminder::entityDescription()};
    return schema;
}

std::unique_ptr<ModelContainer> NudgeboxStore::open(const ModelConfiguration& configuration,
                                                    QString* error) {
    return ModelContainer::create(schema(), configuration, error);
}
