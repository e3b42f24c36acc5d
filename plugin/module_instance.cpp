#include "plugin/module_instance.h"

void* module_instance = nullptr;
