#include "wizard/Wizard.h"

void RunWizard(HINSTANCE) {}
