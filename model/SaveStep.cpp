#include "SaveStep.h"

#include "Console.h"
#include "store/ModelContext.h"

bool saveStep(ModelContext& context) {
    QString error;
    if (context.save(&error))
        return true;
    Console::writeLine(error);
    return false;
}
