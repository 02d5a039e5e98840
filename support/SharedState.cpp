#include "support/SharedState.h"

TSharedState Shared;
