#include "app/AppController.h"

bool AppController::showHelper1()
{
    return false; // no notice panels yet: every press starts a run at once
}

void AppController::showHelper2()
{
}
