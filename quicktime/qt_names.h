// Fixed names through which QuickTime is found and bound.
#pragma once

namespace qt_name {
inline constexpr char library[] = "QuickTime.qts";
inline constexpr char registry_key[] = "Software\\Apple Computer, Inc.\\QuickTime";
inline constexpr char system_dir_value[] = "QTSysDir";
inline constexpr char library_folder_value[] = "QuickTime.qts folder";
inline constexpr char extension_dir_value[] = "QTExtDir";
// The folder appended, with the platform's separator, to the system directory when QuickTime
// lives there.
inline constexpr char extension_folder[] = "QuickTime";
inline constexpr char dispatcher_entry[] = "theQuickTimeDispatcher";
inline constexpr char call_component_entry[] = "_CallComponent";
inline constexpr char call_component_with_storage_entry[] = "_CallComponentFunctionWithStorage";
}  // namespace qt_name
