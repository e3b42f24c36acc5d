// Compiled only by the plugin_boundary tests, as a plug-in source is compiled: a header
// the plug-in uses is found, and FORBIDDEN_HEADER, from a folder the plug-in must not
// include, is not.
#include "platform/platform.h"
#include FORBIDDEN_HEADER
