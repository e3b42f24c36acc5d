// The 'ctyp' user data item that tells a player which controller a movie needs.
#pragma once

#include "quicktime/qt_types.h"

constexpr OSType controller_type_item = four_cc("ctyp");
constexpr OSType object_controller = four_cc("stna");  // QuickTime VR 1.0 object controller

// Stores `subtype` big-endian as the movie's 'ctyp' item. paramErr when there
// is no movie or it has no user data list; else SetUserDataItem's result.
OSErr set_controller_type(Movie movie, OSType subtype);
