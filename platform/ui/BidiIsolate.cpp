#include "BidiIsolate.h"

namespace {
constexpr char16_t lri = 0x2066, rli = 0x2067, fsi = 0x2068, pdi = 0x2069;
} // namespace

QString BidiIsolate::isolated(const QString& text) {
    QString result;
    result.reserve(text.size() + 2);
    result += QChar(fsi);
    // Isolates the text opens itself are closed before ours; a PDI it has not opened would
    // close ours early and is left out (alone it does nothing).
    qsizetype open = 0;
    const auto close = [&] {
        result += QString(open + 1, QChar(pdi));
        open = 0;
    };
    for (const QChar c : text) {
        switch (c.unicode()) {
        case lri:
        case rli:
        case fsi:
            ++open;
            result += c;
            break;
        case pdi:
            if (open > 0) {
                --open;
                result += c;
            }
            break;
        default:
            // A paragraph separator ends every isolate, so each line gets one of its own.
            if (c.direction() == QChar::DirB) {
                close();
                result += c;
                result += QChar(fsi);
            } else {
                result += c;
            }
        }
    }
    close();
    return result;
}
