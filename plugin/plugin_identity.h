// Who the plug-in is to the host: interface and component identifiers, the
// fixed answers of the exports, and the texts handed to the host.
//
// Texts are static, zero-terminated and in code page 932 (the host is told so
// through the text-encoding export); they stay valid while the library is loaded.
#pragma once

#include <cstdint>

#include "host/com_base.h"

// The host's plug-in interface, {50E47D69-8922-11D1-9A00-00C04FCC9C26}.
// Stored as 69 7D E4 50 22 89 D1 11 9A 00 00 C0 4F CC 9C 26.
inline constexpr GUID plugin_interface_id = {0x50E47D69, 0x8922, 0x11D1,
                                             {0x9A, 0x00, 0x00, 0xC0, 0x4F, 0xCC, 0x9C, 0x26}};

// True only when all 16 bytes at iid equal plugin_interface_id.
bool is_plugin_interface_id(const void* iid);

// The one component, offered at index 0.
inline constexpr std::int32_t main_component_index = 0;
inline constexpr std::int32_t main_component_id = 0x40A00130;

inline constexpr std::int32_t plugin_revision = 36088;
inline constexpr std::int32_t plugin_second_revision = 36090;
// Plug-in protocol revision this library implements.
inline constexpr std::int32_t plugin_protocol_version = 25;
// The component's default operations throw an int; the host asks which kind.
inline constexpr std::int32_t plugin_exception_kind = 2;
inline constexpr std::int32_t plugin_text_code_page = 932;

inline constexpr char product_name[] = "Orbivane";
inline constexpr char maker_name[] = "QUARLEX";
// "QTVRオブジェクトを作成するプラグイン": a plug-in that creates QTVR objects.
inline constexpr char product_description[] =
    "QTVR"
    "\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67"  // オブジェクト
    "\x82\xF0"                                          // を
    "\x8D\xEC\x90\xAC"                                  // 作成
    "\x82\xB7\x82\xE9"                                  // する
    "\x83\x76\x83\x89\x83\x4F\x83\x43\x83\x93";         // プラグイン
