void* module_instance = nullptr;
