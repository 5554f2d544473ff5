#pragma once

#include "NudgeboxStore.h"

#include <cstdio>
#include <memory>

// Opens the store file at path as the tests' processes do: no autosave, so every write is an
// explicit save. Null (with the reason on standard error) when it cannot be opened.
inline std::unique_ptr<ModelContainer> openStoreAt(const QString& path) {
    ModelConfiguration configuration;
    configuration.url = path;
    configuration.autosaveEnabled = false;
    QString error;
    auto container = NudgeboxStore::open(configuration, &error);
    if (!container)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return container;
}
