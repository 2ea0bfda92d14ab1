#include "app/app_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE may not stand inside a namespace.
void loadAppResources()
{
    Q_INIT_RESOURCE(resources);
}
