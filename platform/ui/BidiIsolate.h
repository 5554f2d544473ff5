#pragma once

#include <QString>

// A reminder's text is the user's own and may hold direction controls (U+202E and the like).
// Wherever it is drawn or sent to be shown, each of its lines goes in a bidi isolate of its own
// (FSI … PDI): it takes its direction from its own first strong letter and nothing in it
// reorders what is drawn around it. Only what is shown is isolated; the stored text, and what
// is copied, stays as the user wrote it.
namespace BidiIsolate {
QString isolated(const QString& text);
} // namespace BidiIsolate
