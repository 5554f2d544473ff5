#pragma once

#include "store/EntityDescription.h"
#include "store/ModelConfiguration.h"
#include "store/ModelContainer.h"

#include <memory>

// The container both deliverables open: record types Favorite then Reminder, on disk in the
// app-group container, autosave on.
namespace NudgeboxStore {
const Schema& schema();
std::unique_ptr<ModelContainer> open(const ModelConfiguration& configuration, QString* error);
} // namespace NudgeboxStore
