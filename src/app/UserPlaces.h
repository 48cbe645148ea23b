#pragma once

// This run's places of the editor (UserPlaceRules.h), decided once per run. Deciding creates
// nothing: the folders of the settings file and the default table file are made once the editor
// has a window to show (CreateUserFolders). One that cannot be created shows only when its file
// cannot be written, which that write reports.

#include "text/UserPlaceRules.h"

// This run's places, decided at the first call.
const TUserPlaces& UserPlaces();

// Creates the folders of this run's settings file and default table file where they are missing.
void CreateUserFolders();
