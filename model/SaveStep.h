#pragma once

class ModelContext;

// The save that ends every user action: true on success; on failure the error's description
// goes to the console as one line, the changes stay in the context and the caller stops.
bool saveStep(ModelContext& context);
