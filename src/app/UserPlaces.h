#pragma once

// This run's places of the editor (UserPlaceRules.h), decided once per run. The user's folders
// are created then; one that cannot be created shows only when its file cannot be written, which
// that write reports.

#include "text/UserPlaceRules.h"

// This run's places, decided at the first call.
const TUserPlaces& UserPlaces();
